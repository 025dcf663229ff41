// serve-load: pages chatting at once with orvane-host --serve on 127.0.0.1.
// Starts the build's orvane-host (through the build's registry file unless
// QUIBO_REGISTRY names another) over a package folder holding the sample
// knowledge file; then every page, on its own connection, does what a
// page's script does: create its control, Iinitialize, read the greeting;
// once all pages have started, each asks TURNS questions (IsetUserQuestion,
// IgetReplyInfo, IfreeReplyBstr) and releases its control.  Reports the
// requests per second of the chatting phase, the median and 99th-percentile
// time of one request and of one reply (question sent to reply read), and
// every request that failed.
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

const std::vector<std::string> QUESTIONS = {
    U8(u8"営業時間を教えて"), U8(u8"定休日はいつですか"), U8(u8"駐車場はありますか"),
    U8(u8"パンの値段を教えて"), U8(u8"カードは使えますか"),
};

struct PageTimes {
    std::vector<double> requests;
    std::vector<double> replies;
    int failures = 0;
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

    std::vector<PageTimes> times(static_cast<std::size_t>(pages));
    std::barrier started(pages + 1);
    std::barrier finished(pages + 1);
    std::vector<std::thread> threads;
    for (int page = 0; page < pages; ++page) {
        threads.emplace_back([&, page] {
            PageTimes& mine = times[static_cast<std::size_t>(page)];
            httplib::Client client("127.0.0.1", port);
            bool chatting = false;
            std::string handle;
            const auto call = [&](const std::string& method, const std::string& body) {
                const double begin = nowMillis();
                const auto result = client.Post("/orvane/" + method, {{"X-Orvane-Handle", handle}}, body,
                                                "text/plain; charset=UTF-8");
                if (chatting)
                    mine.requests.push_back(nowMillis() - begin);
                if (!result || result->status != 200) {
                    ++mine.failures;
                    return std::string();
                }
                return result->body;
            };
            handle = call("create", "");
            call("Iinitialize", root + "sample.pdata");
            call("IgetReplyInfo", "");
            started.arrive_and_wait();
            chatting = true;
            for (int turn = 0; turn < turns; ++turn) {
                call("IfreeReplyBstr", "");
                const double asked = nowMillis();
                call("IsetUserQuestion", QUESTIONS[static_cast<std::size_t>(page + turn) % QUESTIONS.size()]);
                call("IgetReplyInfo", "");
                mine.replies.push_back(nowMillis() - asked);
            }
            finished.arrive_and_wait();
            chatting = false;
            call("release", "");
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
    for (const PageTimes& page : times) {
        all.requests.insert(all.requests.end(), page.requests.begin(), page.requests.end());
        all.replies.insert(all.replies.end(), page.replies.begin(), page.replies.end());
        all.failures += page.failures;
    }
    std::printf("serve-load: %d pages at once, %d questions each, on 127.0.0.1\n", pages, turns);
    std::printf("  requests          %zu in %.2f s: %.0f requests/s\n", all.requests.size(), seconds,
                static_cast<double>(all.requests.size()) / seconds);
    std::printf("  one request       median %.2f ms, 99th percentile %.2f ms\n", percentile(all.requests, 0.5),
                percentile(all.requests, 0.99));
    std::printf("  one reply         median %.2f ms, 99th percentile %.2f ms\n", percentile(all.replies, 0.5),
                percentile(all.replies, 0.99));
    std::printf("  failed requests   %d\n", all.failures);
    return all.failures == 0 ? 0 : 1;
}
