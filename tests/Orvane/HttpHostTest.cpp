// orvane-host --serve over real HTTP on 127.0.0.1: refused requests get
// their status and leave the host serving, and twenty pages chat at once,
// each getting the answers to its own questions.
#include "Orvane/host/HttpHost.h"

#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/SampleGreetings.h"
#include "tests/support/TempFolder.h"
#include "platform/Clock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <arpa/inet.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace quibo::orvane {
namespace {

using test::utf8;

class HttpHostTest : public testing::Test {
protected:
    HttpHostTest()
    {
        m_package.write("index.html", "<p>chat</p>");
        std::filesystem::copy_file(test::sampleKnowledgePath(), m_package.path("sample.pdata"));
        serve({});
    }
    void serve(HttpLimits limits)
    {
        m_http.reset();
        m_server.reset();
        const OrvaneClassObject* api = nullptr;
        DllGetClassObject(ORVANE_CLSID, &api);
        m_server = std::make_unique<PackageServer>(m_package.path(), *api);
        m_http = std::make_unique<HttpHost>(*m_server, limits);
        m_port = m_http->start(0);
    }

    // A connection of our own, for clients that misbehave.
    int connectRaw() const
    {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(m_port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    }
    static void sendRaw(int fd, const std::string& bytes)
    {
        EXPECT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    // What the host sends until it closes the connection, waiting at most
    // `millis` for each piece.
    static std::string receiveAll(int fd, int millis)
    {
        std::string received;
        for (;;) {
            pollfd readable{fd, POLLIN, 0};
            char block[4096];
            const ssize_t n = poll(&readable, 1, millis) > 0 ? recv(fd, block, sizeof block, 0) : -1;
            if (n <= 0) {
                return n == 0 ? received : received + "(still open)";
            }
            received.append(block, static_cast<std::size_t>(n));
        }
    }
    std::string hostHeader() const { return "Host: 127.0.0.1:" + std::to_string(m_port) + "\r\n"; }

    // A client that sends paths as they are written.
    httplib::Client client() const
    {
        httplib::Client c("127.0.0.1", m_port);
        c.set_url_encode(false);
        return c;
    }
    static int status(const httplib::Result& result) { return result ? result->status : -1; }

    test::BuildInstallTree m_tree;
    test::WorkingDirectory m_folder{std::filesystem::current_path().string()};
    test::TempFolder m_package{"quibo-package"};
    std::unique_ptr<PackageServer> m_server;
    std::unique_ptr<HttpHost> m_http;
    int m_port = -1;
};

TEST_F(HttpHostTest, RefusedRequestsGetTheirStatusAndTheHostKeepsServing)
{
    ASSERT_GT(m_port, 0);
    httplib::Client c = client();
    EXPECT_EQ(status(c.Get("/../../etc/passwd")), 403);
    EXPECT_EQ(status(c.Get("/%2e%2e/%2e%2e/etc/passwd")), 403);
    EXPECT_EQ(status(c.Post("/orvane/IsetUserQuestion", {{"X-Orvane-Handle", "h"}}, std::string(17 * 1024, 'a'),
                            "text/plain")),
              413);
    EXPECT_EQ(status(c.Post("/orvane/IgetReplyInfo", {{"X-Orvane-Handle", std::string(32, '0')}}, "", "text/plain")),
              404);
    const httplib::Result page = c.Get("/index.html");
    ASSERT_EQ(status(page), 200);
    EXPECT_EQ(page->body, "<p>chat</p>");
}

// Clients that send their requests slowly, or keep connections open and
// idle, hold no request thread: more of them than there are threads leave
// a page answered at once, and each is closed when its time is up (a slow
// request hears why).  Requests whose headers are too many or too large are
// refused before they are kept.
TEST_F(HttpHostTest, SlowIdleAndOversizedRequestsHoldUpNoOne)
{
    HttpLimits limits;
    limits.requestThreads = 2;
    limits.requestMillis = 300;
    limits.idleMillis = 300;
    limits.maxHeaderCount = 20;
    limits.maxHeaderBytes = 2048;
    serve(limits);
    std::vector<int> slow;
    std::vector<int> idle;
    for (int i = 0; i < 8; ++i) {
        slow.push_back(connectRaw());
        sendRaw(slow.back(), "GET /index.html HTTP/1.1\r\n" + hostHeader() + "X-Slow: a");
        idle.push_back(connectRaw());
        sendRaw(idle.back(), "GET /index.html HTTP/1.1\r\n" + hostHeader() + "\r\n");
    }
    httplib::Client c = client();
    const httplib::Result page = c.Get("/index.html");
    ASSERT_EQ(status(page), 200);
    EXPECT_EQ(page->body, "<p>chat</p>");
    for (int fd : slow) {
        EXPECT_EQ(receiveAll(fd, 2000).rfind("HTTP/1.1 408 Request Timeout\r\n", 0), 0u);
        close(fd);
    }
    for (int fd : idle) {
        const std::string answer = receiveAll(fd, 2000);
        EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << answer;
        EXPECT_EQ(answer.substr(answer.size() - 11), "<p>chat</p>") << answer;
        close(fd);
    }

    std::string many = "GET /index.html HTTP/1.1\r\n" + hostHeader();
    for (int i = 0; i < 20; ++i) {
        many += "X-" + std::to_string(i) + ": v\r\n";
    }
    const std::string large =
        "GET /index.html HTTP/1.1\r\n" + hostHeader() + "X-Large: " + std::string(2048, 'v') + "\r\n\r\n";
    for (const std::string& request : {many + "\r\n", large}) {
        const int fd = connectRaw();
        sendRaw(fd, request);
        EXPECT_EQ(receiveAll(fd, 2000).rfind("HTTP/1.1 431 Request Header Fields Too Large\r\n", 0), 0u);
        close(fd);
    }
    EXPECT_EQ(status(client().Get("/index.html")), 200);
}

// A question of blanks is answered at once: the host's engine thread,
// which every page shares, never waits the reply time-out for it.
TEST_F(HttpHostTest, ABlankQuestionIsAnsweredAtOnce)
{
    platform::FakeClock clock;
    platform::ScopedClock scoped(clock);
    httplib::Client c = client();
    const auto call = [&](const std::string& method, const std::string& handle, const std::string& body = "") {
        const httplib::Result result =
            c.Post("/orvane/" + method, {{"X-Orvane-Handle", handle}}, body, "text/plain; charset=UTF-8");
        return result && result->status == 200 ? result->body : "failed";
    };
    const std::string handle = call("create", "");
    ASSERT_EQ(call("Iinitialize", handle, "http://127.0.0.1:" + std::to_string(m_port) + "/sample.pdata"), "1");
    call("IgetReplyInfo", handle);
    for (const std::string& blank : {std::string(" "), utf8(u8"　　"), std::string("\t\x01")}) {
        call("IsetUserQuestion", handle, blank);
        EXPECT_EQ(call("IgetReplyInfo", handle), "");
    }
    EXPECT_EQ(clock.elapsedMillis(), 0);
    call("release", handle);
}

// Neighbouring pages ask different questions at the same turn, so that an
// answer that reaches the wrong page is a wrong answer.  These questions
// keep their answers whatever was asked before them; the opening hours
// come last, since the reply to them offers the weekend's hours and the
// next question would be read as the answer to that offer.
TEST_F(HttpHostTest, TwentyPagesChatAtOnceEachWithItsOwnControl)
{
    struct Question {
        const char8_t* text;
        std::vector<std::string> answers;
    };
    const std::vector<Question> rotation = {
        {u8"定休日はいつですか", test::sampleReplies(u8"定休日表")},
        {u8"駐車場はありますか", test::sampleReplies(u8"駐車場表")},
        {u8"パンの値段を教えて", test::sampleReplies(u8"値段表")},
        {u8"電話番号を教えて", test::sampleReplies(u8"電話表")},
        {u8"カードは使えますか", test::sampleReplies(u8"支払い表")},
    };
    const Question hours = {u8"営業時間を教えて", test::sampleReplies(u8"営業時間表")};
    for (const Question& question : rotation) {
        ASSERT_FALSE(question.answers.empty()) << utf8(question.text);
    }
    ASSERT_FALSE(hours.answers.empty());
    const std::vector<std::string> greetings = test::sampleGreetings();
    const std::string knowledge = "http://127.0.0.1:" + std::to_string(m_port) + "/sample.pdata";
    std::vector<std::string> failures(20);
    std::vector<std::thread> pages;
    for (std::size_t page = 0; page < failures.size(); ++page) {
        pages.emplace_back([&, page] {
            std::string& failure = failures[page];
            httplib::Client c = client();
            std::string handle;
            const auto call = [&](const std::string& method, const std::string& body = "") {
                const httplib::Result result = c.Post("/orvane/" + method, {{"X-Orvane-Handle", handle}}, body,
                                                      "text/plain; charset=UTF-8");
                failure += status(result) == 200 ? "" : method + " " + std::to_string(status(result)) + "; ";
                return result ? result->body : std::string();
            };
            const auto ask = [&](const Question& question) {
                call("IfreeReplyBstr");
                call("IsetUserQuestion", utf8(question.text));
                const std::string reply = call("IgetReplyInfo");
                failure += std::count(question.answers.begin(), question.answers.end(), reply)
                               ? ""
                               : utf8(question.text) + " -> " + reply + "; ";
            };
            handle = call("create");
            failure += call("Iinitialize", knowledge) == "1" ? "" : "not started; ";
            const std::string greeting = call("IgetReplyInfo");
            failure += std::count(greetings.begin(), greetings.end(), greeting) ? "" : "greeting " + greeting + "; ";
            for (std::size_t turn = 0; turn < 3; ++turn) {
                ask(rotation[(page + turn) % rotation.size()]);
            }
            ask(hours);
            call("release");
        });
    }
    for (std::thread& page : pages) {
        page.join();
    }
    EXPECT_THAT(failures, testing::Each(""));
    EXPECT_EQ(m_server->controlCount(), 0u);
}

}  // namespace
}  // namespace quibo::orvane
