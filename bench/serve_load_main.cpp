// serve-load: pages chatting at once with orvane-host --serve on 127.0.0.1,
// alone and beside careless and hostile clients.  Starts the build's
// orvane-host (through the build's registry file unless QUIBO_REGISTRY
// names another; --host runs another program) over a package folder holding
// the sample knowledge file.  Every page, on its own connection, does what a
// page's script does: create its control, Iinitialize, read the greeting;
// once all pages have started, each asks TURNS questions (IsetUserQuestion,
// IgetReplyInfo, IfreeReplyBstr) and releases its control.  The answer each
// question must get is established first, through a single control that
// asks every question once; the questions keep their answers whatever was
// asked before them.  A page whose request fails stops there.
//
// The chat runs four times: alone; while one more page sends blank
// questions in a loop; while 32 connections send their request headers a
// byte at a time; and beside 100 kept-alive connections that sit idle.  Each
// run reports the median and 99th-percentile time of one reply (question
// sent to reply read), the failed requests and the wrong answers.  Last, one
// connection sends FLOOD megabytes of small request headers, and the host's
// resident size is reported before and after it.
//
//   serve-load [--pages N] [--turns N] [--flood MB] [--host PROGRAM]
#include "bench/BenchSupport.h"
#include "pagemaker/HostProcess.h"

#include <httplib.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <barrier>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
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
// What a page's script sends when the visitor types only blanks.
const std::vector<std::string> BLANKS = {" ", U8(u8"　"), "\t", " \x01 "};

// A page gives up on a request after this long.
constexpr int CLIENT_TIMEOUT_SECONDS = 10;

struct PageTimes {
    std::vector<double> replies;
    int failures = 0;
    int wrongAnswers = 0;
};

// One page's chat with the host: each call posts one method of the page's
// control; a failed request stops the page.
class Page {
public:
    Page(int port, PageTimes& times) : m_client("127.0.0.1", port), m_times(times)
    {
        m_client.set_connection_timeout(CLIENT_TIMEOUT_SECONDS);
        m_client.set_read_timeout(CLIENT_TIMEOUT_SECONDS);
    }

    bool failed() const { return m_failed; }
    std::string call(const std::string& method, const std::string& body = "")
    {
        if (m_failed)
            return std::string();
        const auto result =
            m_client.Post("/orvane/" + method, {{"X-Orvane-Handle", m_handle}}, body, "text/plain; charset=UTF-8");
        if (!result || result->status != 200) {
            ++m_times.failures;
            m_failed = true;
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
        if (timed && !m_failed)
            m_times.replies.push_back(nowMillis() - asked);
        return reply;
    }
    void release() { call("release"); }

    bool timed = false;

private:
    httplib::Client m_client;
    PageTimes& m_times;
    std::string m_handle;
    bool m_failed = false;
};

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())))];
}

int connectTo(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const std::string& bytes)
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// The host's resident size in kB (VmRSS of /proc/PID/status).
long residentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

struct Chat {
    int port;
    std::string knowledge;
    std::vector<std::string> answers;
    int pages;
    int turns;
};

// The pages chat while `beside` runs on a thread of its own; `beside` is
// told through `stop` when the pages are done.
PageTimes chat(const Chat& c, const std::function<void(const std::atomic<bool>& stop)>& beside)
{
    std::vector<PageTimes> times(static_cast<std::size_t>(c.pages));
    std::atomic<bool> stop{false};
    std::thread side([&] { beside(stop); });
    std::barrier started(c.pages + 1);
    std::vector<std::thread> threads;
    for (int page = 0; page < c.pages; ++page) {
        threads.emplace_back([&, page] {
            PageTimes& mine = times[static_cast<std::size_t>(page)];
            Page chat(c.port, mine);
            chat.start(c.knowledge);
            started.arrive_and_wait();
            chat.timed = true;
            for (int turn = 0; turn < c.turns && !chat.failed(); ++turn) {
                const std::size_t question = static_cast<std::size_t>(page + turn) % QUESTIONS.size();
                const std::string reply = chat.ask(QUESTIONS[question]);
                mine.wrongAnswers += chat.failed() || reply == c.answers[question] ? 0 : 1;
            }
            chat.timed = false;
            chat.release();
        });
    }
    started.arrive_and_wait();
    for (std::thread& thread : threads)
        thread.join();
    stop = true;
    side.join();
    PageTimes all;
    for (const PageTimes& page : times) {
        all.replies.insert(all.replies.end(), page.replies.begin(), page.replies.end());
        all.failures += page.failures;
        all.wrongAnswers += page.wrongAnswers;
    }
    return all;
}

void report(const char* title, const PageTimes& t)
{
    std::printf("  %-34s median %8.2f ms, 99th percentile %8.2f ms, %zu replies, %d failed requests, %d wrong\n",
                title, percentile(t.replies, 0.5), percentile(t.replies, 0.99), t.replies.size(), t.failures,
                t.wrongAnswers);
}

}  // namespace

int main(int argc, char** argv)
{
    int pages = 50;
    int turns = 40;
    long floodMegabytes = 500;
    std::string program = QUIBO_BINARY_DIR "/Orvane/host/orvane-host";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--host")
            program = argv[i + 1];
        else if (option == "--flood")
            floodMegabytes = std::max(1L, std::atol(argv[i + 1]));
        else
            (option == "--pages" ? pages : turns) = std::max(1, std::atoi(argv[i + 1]));
    }
    setenv("QUIBO_REGISTRY", QUIBO_BINARY_DIR "/registry", 0);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("serve-load-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(QUIBO_INSTALL_TREE "/QUIBO3.1/knowledge/sample/index.pdata", folder / "sample.pdata");
    std::ofstream(folder / "index.html") << "<p>chat</p>";

    quibo::pagemaker::HostProcess host(program);
    const std::string root = host.start(folder.string());
    if (root.empty()) {
        std::fprintf(stderr, "serve-load: orvane-host did not start\n");
        return 1;
    }
    const int port = std::atoi(root.c_str() + root.rfind(':') + 1);
    const std::string hostHeader = "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";

    Chat c{port, root + "sample.pdata", {}, pages, turns};
    PageTimes reference;
    {
        Page single(port, reference);
        single.start(c.knowledge);
        for (const std::string& question : QUESTIONS)
            c.answers.push_back(single.ask(question));
        single.release();
    }
    if (reference.failures) {
        std::fprintf(stderr, "serve-load: a single page cannot chat\n");
        return 1;
    }

    std::printf("serve-load: %d pages at once, %d questions each, on 127.0.0.1 (replies)\n", pages, turns);
    int failures = 0;
    const auto run = [&](const char* title, const std::function<void(const std::atomic<bool>&)>& beside) {
        const PageTimes t = chat(c, beside);
        report(title, t);
        failures += t.failures + t.wrongAnswers;
    };
    run("alone", [](const std::atomic<bool>&) {});
    run("with one page asking blanks", [&](const std::atomic<bool>& stop) {
        PageTimes ignored;
        Page blank(port, ignored);
        blank.start(c.knowledge);
        for (std::size_t n = 0; !stop && !blank.failed(); ++n)
            blank.ask(BLANKS[n % BLANKS.size()]);
        blank.release();
    });
    run("with 32 slow-header connections", [&](const std::atomic<bool>& stop) {
        // Each sends its request a byte every 100 ms, and connects again
        // when the host closes it.
        const std::string request = "GET /index.html HTTP/1.1\r\n" + hostHeader + "X-Slow: " + std::string(4000, 'a');
        std::vector<int> sockets(32, -1);
        std::vector<std::size_t> sent(sockets.size(), 0);
        while (!stop) {
            for (std::size_t i = 0; i < sockets.size(); ++i) {
                if (sockets[i] < 0)
                    sockets[i] = connectTo(port), sent[i] = 0;
                if (sockets[i] >= 0 && !sendAll(sockets[i], request.substr(sent[i]++ % request.size(), 1))) {
                    close(sockets[i]);
                    sockets[i] = -1;
                }
            }
            usleep(100 * 1000);
        }
        for (int fd : sockets)
            if (fd >= 0)
                close(fd);
    });
    {
        // Kept-alive connections that made one request each and sit idle.
        std::vector<int> idle;
        const std::string request = "GET /index.html HTTP/1.1\r\n" + hostHeader + "\r\n";
        for (int i = 0; i < 100; ++i) {
            const int fd = connectTo(port);
            if (fd >= 0 && sendAll(fd, request))
                idle.push_back(fd);
        }
        run("with 100 idle keep-alive connections", [](const std::atomic<bool>&) {});
        for (int fd : idle)
            close(fd);
    }

    const long before = residentKilobytes(host.pid());
    long floodSent = 0;
    {
        const int fd = connectTo(port);
        std::string block = "GET /index.html HTTP/1.1\r\n" + hostHeader;
        std::string headers;
        for (int i = 0; headers.size() < (1 << 20); ++i)
            headers += "X-F" + std::to_string(i) + ": v\r\n";
        bool open = fd >= 0 && sendAll(fd, block);
        for (; open && floodSent < floodMegabytes; ++floodSent)
            open = sendAll(fd, headers);
        if (fd >= 0)
            close(fd);
    }
    usleep(500 * 1000);
    const long after = residentKilobytes(host.pid());
    std::printf("  header flood                       %ld of %ld MB sent; host resident %ld kB before, %ld kB after\n",
                floodSent, floodMegabytes, before, after);

    host.stop();
    std::filesystem::remove_all(folder);
    return failures == 0 ? 0 : 1;
}
