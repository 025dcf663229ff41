// serve-load: pages chatting at once with orvane-host --serve on 127.0.0.1.
// Starts the build's orvane-host (through the build's registry file unless
// QUIBO_REGISTRY names another) over a package folder holding the sample
// knowledge file; then every page, on its own connection, does what a
// page's script does: create its control, Iinitialize, read the greeting;
// once all pages have started, each asks TURNS questions (IsetUserQuestion,
// IgetReplyInfo, IfreeReplyBstr) and releases its control.  The answer each
// question must get is established first, through a single control that
// asks every question once; the questions keep their answers whatever was
// asked before them.  Reports the requests per second of the chatting
// phase, the median and 99th-percentile time of one request and of one
// reply (question sent to reply read), every request that failed and every
// reply that was not its question's answer.
//
//   serve-load [--pages N] [--turns N]
#include "bench/BenchSupport.h"
#include "pagemaker/HostProcess.h"

#include <httplib.h>

#include <algorithm>
#include <barrier>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using quibo::bench::nowMillis;

const char* U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// Not the opening hours: their reply offers the weekend's hours, and the
// next question would be read as the answer to that offer.
const std::vector<std::string> QUESTIONS = {
    U8(u8"定休日はいつですか"), U8(u8"駐車場はありますか"), U8(u8"パンの値段を教えて"),
    U8(u8"電話番号を教えて"),   U8(u8"カードは使えますか"),
};

struct PageTimes {
    std::vector<double> requests;
    std::vector<double> replies;
    int failures = 0;
    int wrongAnswers = 0;
};

// One page's chat with the host: each call posts one method of the page's
// control, counting the requests that fail and, while `timed`, timing them
// and the replies.
class Page {
public:
    Page(int port, PageTimes& times) : m_client("127.0.0.1", port), m_times(times) {}

    std::string call(const std::string& method, const std::string& body = "")
    {
        const double begin = nowMillis();
        const auto result =
            m_client.Post("/orvane/" + method, {{"X-Orvane-Handle", m_handle}}, body, "text/plain; charset=UTF-8");
        if (timed)
            m_times.requests.push_back(nowMillis() - begin);
        if (!result || result->status != 200) {
            ++m_times.failures;
            return std::string();
        }
        return result->body;
    }
    void start(const std::string& knowledge)
    {
        m_handle = call("create");
        call("Iinitialize", knowledge);
        call("IgetReplyInfo");
    }
    std::string ask(const std::string& question)
    {
        call("IfreeReplyBstr");
        const double asked = nowMillis();
        call("IsetUserQuestion", question);
        std::string reply = call("IgetReplyInfo");
        if (timed)
            m_times.replies.push_back(nowMillis() - asked);
        return reply;
    }
    void release() { call("release"); }

    bool timed = false;

private:
    httplib::Client m_client;
    PageTimes& m_times;
    std::string m_handle;
};

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())))];
}

}  // namespace

int main(int argc, char** argv)
{
    int pages = 20;
    int turns = 200;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        (option == "--pages" ? pages : turns) = std::max(1, std::atoi(argv[i + 1]));
    }
    setenv("QUIBO_REGISTRY", QUIBO_BINARY_DIR "/registry", 0);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("serve-load-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(QUIBO_INSTALL_TREE "/QUIBO3.1/knowledge/sample/index.pdata", folder / "sample.pdata");

    quibo::pagemaker::HostProcess host(QUIBO_BINARY_DIR "/Orvane/host/orvane-host");
    const std::string root = host.start(folder.string());
    if (root.empty()) {
        std::fprintf(stderr, "serve-load: orvane-host did not start\n");
        return 1;
    }
    const int port = std::atoi(root.c_str() + root.rfind(':') + 1);

    PageTimes reference;
    std::vector<std::string> answers;
    {
        Page single(port, reference);
        single.start(root + "sample.pdata");
        for (const std::string& question : QUESTIONS)
            answers.push_back(single.ask(question));
        single.release();
    }

    std::vector<PageTimes> times(static_cast<std::size_t>(pages));
    std::barrier started(pages + 1);
    std::barrier finished(pages + 1);
    std::vector<std::thread> threads;
    for (int page = 0; page < pages; ++page) {
        threads.emplace_back([&, page] {
            PageTimes& mine = times[static_cast<std::size_t>(page)];
            Page chat(port, mine);
            chat.start(root + "sample.pdata");
            started.arrive_and_wait();
            chat.timed = true;
            for (int turn = 0; turn < turns; ++turn) {
                const std::size_t question = static_cast<std::size_t>(page + turn) % QUESTIONS.size();
                mine.wrongAnswers += chat.ask(QUESTIONS[question]) == answers[question] ? 0 : 1;
            }
            finished.arrive_and_wait();
            chat.timed = false;
            chat.release();
        });
    }
    started.arrive_and_wait();
    const double begin = nowMillis();
    finished.arrive_and_wait();
    const double seconds = (nowMillis() - begin) / 1000;
    for (std::thread& thread : threads)
        thread.join();
    host.stop();
    std::filesystem::remove_all(folder);

    PageTimes all;
    all.failures = reference.failures;
    for (const PageTimes& page : times) {
        all.requests.insert(all.requests.end(), page.requests.begin(), page.requests.end());
        all.replies.insert(all.replies.end(), page.replies.begin(), page.replies.end());
        all.failures += page.failures;
        all.wrongAnswers += page.wrongAnswers;
    }
    std::printf("serve-load: %d pages at once, %d questions each, on 127.0.0.1\n", pages, turns);
    std::printf("  requests          %zu in %.2f s: %.0f requests/s\n", all.requests.size(), seconds,
                static_cast<double>(all.requests.size()) / seconds);
    std::printf("  one request       median %.2f ms, 99th percentile %.2f ms\n", percentile(all.requests, 0.5),
                percentile(all.requests, 0.99));
    std::printf("  one reply         median %.2f ms, 99th percentile %.2f ms\n", percentile(all.replies, 0.5),
                percentile(all.replies, 0.99));
    std::printf("  failed requests   %d\n", all.failures);
    std::printf("  wrong answers     %d of %zu\n", all.wrongAnswers, all.replies.size());
    return all.failures == 0 && all.wrongAnswers == 0 ? 0 : 1;
}
