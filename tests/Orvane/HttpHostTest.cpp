// orvane-host --serve over real HTTP on 127.0.0.1: refused requests get
// their status and leave the host serving, and twenty pages chat at once.
#include "Orvane/host/HttpHost.h"

#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <filesystem>
#include <thread>

namespace quibo::orvane {
namespace {

using test::utf8;

class HttpHostTest : public testing::Test {
protected:
    HttpHostTest()
    {
        m_package.write("index.html", "<p>chat</p>");
        std::filesystem::copy_file(test::sampleKnowledgePath(), m_package.path("sample.pdata"));
        const OrvaneClassObject* api = nullptr;
        DllGetClassObject(ORVANE_CLSID, &api);
        m_server = std::make_unique<PackageServer>(m_package.path(), *api);
        m_http = std::make_unique<HttpHost>(*m_server);
        m_port = m_http->start(0);
    }

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

TEST_F(HttpHostTest, TwentyPagesChatAtOnceEachWithItsOwnControl)
{
    const std::vector<std::string> greetings = {
        utf8(u8"いらっしゃいませ、こむぎ堂の案内係です。パンのことなら何でも聞いてください。"),
        utf8(u8"こんにちは！&[名前]さん、今日は何をお探しですか？"),
        utf8(u8"ようこそ。営業時間、場所、パンの値段などをご案内できます。"),
    };
    const std::string knowledge = "http://127.0.0.1:" + std::to_string(m_port) + "/sample.pdata";
    constexpr int PAGES = 20;
    std::vector<std::string> failures(PAGES);
    std::vector<std::thread> pages;
    for (int page = 0; page < PAGES; ++page) {
        pages.emplace_back([&, page] {
            httplib::Client c = client();
            std::string& failure = failures[page];
            const auto call = [&](const std::string& handle, const std::string& method, const std::string& body) {
                const httplib::Result result = c.Post("/orvane/" + method, {{"X-Orvane-Handle", handle}}, body,
                                                      "text/plain; charset=UTF-8");
                if (status(result) != 200) {
                    failure += method + " answered " + std::to_string(status(result)) + "; ";
                }
                return result ? result->body : std::string();
            };
            const std::string handle = call("", "create", "");
            if (call(handle, "Iinitialize", knowledge) != "1") {
                failure += "not initialised; ";
            }
            const std::string greeting = call(handle, "IgetReplyInfo", "");
            if (std::find(greetings.begin(), greetings.end(), greeting) == greetings.end()) {
                failure += "greeting " + greeting + "; ";
            }
            for (int turn = 0; turn < 3; ++turn) {
                call(handle, "IfreeReplyBstr", "");
                call(handle, "IsetUserQuestion", utf8(u8"営業時間を教えて"));
                call(handle, "IgetReplyInfo", "");
            }
            call(handle, "release", "");
        });
    }
    for (std::thread& page : pages) {
        page.join();
    }
    for (int page = 0; page < PAGES; ++page) {
        EXPECT_EQ(failures[page], "") << "page " << page;
    }
    EXPECT_EQ(m_server->controlCount(), 0u);
}

}  // namespace
}  // namespace quibo::orvane
