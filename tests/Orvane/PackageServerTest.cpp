// What orvane-host --serve answers, decided without HTTP: a package folder
// with the sample knowledge file, served with the control of this process
// (fixed clock and random sequence).
#include "Orvane/host/PackageServer.h"

#include "Orvane/ChatBridgeDialog.h"
#include "conversation/SessionLog.h"
#include "tests/support/ControlShell.h"
#include "tests/support/SampleGreetings.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace quibo::orvane {
namespace {

using test::utf8;

constexpr int PORT = 8123;
const std::string HOST = "127.0.0.1:8123";

class PackageServerTest : public test::ControlShellTest {
protected:
    PackageServerTest()
    {
        m_package.write("index.html", "<p>chat</p>");
        m_package.write("quibo/page.js", "var a;");
        std::filesystem::copy_file(m_sample, m_package.path("sample.pdata"));
        m_outside.write("secret.txt", "secret");
        std::filesystem::create_symlink(m_outside.path("secret.txt"), m_package.path("leak.txt"));
        std::filesystem::create_symlink(m_outside.path(), m_package.path("away"));
        std::filesystem::create_symlink("index.html", m_package.path("start.html"));
    }

    std::unique_ptr<PackageServer> serve(ServerLimits limits = {})
    {
        const OrvaneClassObject* api = nullptr;
        DllGetClassObject(ORVANE_CLSID, &api);
        auto server = std::make_unique<PackageServer>(m_package.path(), *api, limits);
        server->setPort(PORT);
        return server;
    }
    static HostResponse call(PackageServer& server, const std::string& handle, const std::string& method,
                             const std::string& body = "")
    {
        return server.respond({"POST", "/orvane/" + method, HOST, handle, body});
    }

    test::TempFolder m_package{"quibo-package"};
    test::TempFolder m_outside{"quibo-outside"};
};

TEST_F(PackageServerTest, APageDrivesAControlOfItsOwn)
{
    const auto server = serve();
    const std::string first = call(*server, "", "create").body;
    const std::string second = call(*server, "", "create").body;
    EXPECT_EQ(first.size(), 32u);
    EXPECT_NE(first, second);

    // Only the served folder's files, at the host's own address, are
    // knowledge a page can start from.
    for (const std::string& url : {"file://" + m_sample, std::string("http://example.com/sample.pdata"),
                                   "http://" + HOST + "/../sample.pdata", "http://" + HOST + "/missing.pdata"}) {
        const HostResponse refused = call(*server, first, "Iinitialize", url);
        EXPECT_EQ(refused.status, 404) << url;
        EXPECT_EQ(refused.body, "no knowledge file at " + url + " in the served folder");
    }
    // A file that does not load fails the start with the engine's reason;
    // the page's control still starts on a sound one.
    m_package.write("broken.pdata", "not knowledge");
    const HostResponse broken = call(*server, first, "Iinitialize", "http://" + HOST + "/broken.pdata");
    EXPECT_EQ(broken.status, 500);
    EXPECT_EQ(broken.body, "the knowledge file " + std::filesystem::canonical(m_package.path("broken.pdata")).string() +
                               " is too short to be a knowledge file");
    EXPECT_EQ(call(*server, first, "IgetErrorMessage").body, broken.body);
    EXPECT_EQ(call(*server, first, "Iinitialize", "http://" + HOST + "/sample.pdata").body, "1");
    EXPECT_EQ(call(*server, first, "IgetReplyInfo").body, test::sampleGreetings().at(0));
    EXPECT_EQ(call(*server, first, "IfreeReplyBstr").status, 200);
    EXPECT_EQ(call(*server, first, "IgetErrorMessage").body, "");
    EXPECT_EQ(call(*server, first, "release").status, 200);
    EXPECT_EQ(call(*server, first, "IgetReplyInfo").status, 404);
    EXPECT_EQ(server->controlCount(), 1u);
}

TEST_F(PackageServerTest, RequestsOutsideTheFolderOrTheProtocolAreRefused)
{
    const auto server = serve();
    const std::string handle = call(*server, "", "create").body;
    struct Case {
        std::string method, target, host, handle, body;
        int status;
        std::string origin = {};
    };
    const std::vector<Case> cases = {
        {"GET", "/index.html?v=1", HOST, "", "", 200},
        {"HEAD", "/quibo/./page.js", HOST, "", "", 200},
        {"GET", "/start.html", HOST, "", "", 200},
        {"GET", "/../etc/passwd", HOST, "", "", 403},
        {"GET", "/quibo/%2e%2E/%2E%2e/etc/passwd", HOST, "", "", 403},
        {"GET", "/..%2fetc%2fpasswd", HOST, "", "", 403},
        {"GET", "/%252e%252e/etc/passwd", HOST, "", "", 404},
        {"GET", "/leak.txt", HOST, "", "", 403},
        {"GET", "/away/secret.txt", HOST, "", "", 403},
        {"GET", "/", HOST, "", "", 200},
        {"GET", "/quibo/", HOST, "", "", 404},
        {"GET", "/quibo", HOST, "", "", 403},
        {"GET", "/index.html%00.js", HOST, "", "", 400},
        {"GET", "/index%zz", HOST, "", "", 400},
        {"GET", "index.html", HOST, "", "", 400},
        {"GET", "/missing.html", HOST, "", "", 404},
        {"GET", "/index.html", "rebound.example:8123", "", "", 403},
        {"GET", "/index.html", "127.0.0.1:9", "", "", 403},
        {"POST", "/orvane/create", HOST, "", "", 403, "http://evil.example"},
        {"POST", "/orvane/create", HOST, "", "", 200, "http://" + HOST},
        {"POST", "/index.html", HOST, "", "", 405},
        {"GET", "/orvane/create", HOST, "", "", 405},
        {"POST", "/orvane/AboutBox", HOST, handle, "", 404},
        {"POST", "/orvane/IgetReplyInfo", HOST, "", "", 400},
        {"POST", "/orvane/IgetReplyInfo", HOST, std::string(32, '0'), "", 404},
        {"POST", "/orvane/release", HOST, "guess", "", 404},
        {"POST", "/orvane/IsetUserQuestion", HOST, handle, std::string(4096, 'a'), 200},
        {"POST", "/orvane/IsetUserQuestion", HOST, handle, std::string(4097, 'a'), 413},
        {"POST", "/orvane/IgetExtensionInfo", HOST, handle, std::string(16 * 1024 + 1, 'a'), 413},
    };
    for (const Case& c : cases) {
        const HostResponse response = server->respond({c.method, c.target, c.host, c.handle, c.body, c.origin});
        EXPECT_EQ(response.status, c.status) << c.method << " " << c.target << " " << c.host;
    }
    const HostResponse page = server->respond({"GET", "/start.html", HOST, "", ""});
    EXPECT_EQ(page.body, "<p>chat</p>");
    EXPECT_EQ(page.contentType, "text/html; charset=UTF-8");
}

// The address the host prints opens the chat: the package's start page, or,
// for a folder of packages, a list that links each one.
TEST_F(PackageServerTest, TheHostsAddressOpensTheChatOrTheListOfPackages)
{
    EXPECT_EQ(serve()->respond({"GET", "/", HOST, "", ""}).body, "<p>chat</p>");
    test::TempFolder packages{"quibo-packages"};
    packages.write("shop/index.html", "<p>shop</p>");
    packages.write("a&b/index.html", "<p>ab</p>");
    packages.write("notes/readme.txt", "-");
    const OrvaneClassObject* api = nullptr;
    DllGetClassObject(ORVANE_CLSID, &api);
    PackageServer server(packages.path(), *api);
    server.setPort(PORT);
    const HostResponse list = server.respond({"GET", "/", HOST, "", ""});
    EXPECT_EQ(list.status, 200);
    EXPECT_EQ(list.contentType, "text/html; charset=UTF-8");
    EXPECT_NE(list.body.find("<li><a href=\"a%26b/\">a&amp;b</a></li>\n<li><a href=\"shop/\">shop</a></li>\n</ul>"),
              std::string::npos)
        << list.body;
    EXPECT_EQ(list.body.find("notes"), std::string::npos);
    EXPECT_EQ(server.respond({"GET", "/shop/", HOST, "", ""}).body, "<p>shop</p>");
}

// No client holds the pool: a connection gets its share of controls, and a
// full pool makes room by ending the control idle longest, once it has been
// idle a while.  A page that still finds none is told to come back later.
TEST_F(PackageServerTest, AFullPoolEndsItsIdlestControlAndABusyOneSaysSo)
{
    ServerLimits limits;
    limits.pool = {3, 10000, 500, 2};
    const auto server = serve(limits);
    const auto create = [&](std::uint64_t connection) {
        return server->respond({"POST", "/orvane/create", HOST, "", "", "", connection});
    };
    const std::string idle = create(1).body;
    const std::string used = create(1).body;
    const HostResponse third = create(1);
    EXPECT_EQ(third.status, 429);
    EXPECT_EQ(third.body, utf8(u8"ただいま混み合っています。しばらくしてからページを読み込み直してください。"));
    const std::string other = create(2).body;
    EXPECT_EQ(create(3).status, 503);
    m_clock.advance(400);
    EXPECT_EQ(call(*server, used, "IgetErrorMessage").status, 200);
    EXPECT_EQ(call(*server, other, "IgetErrorMessage").status, 200);
    m_clock.advance(200);
    EXPECT_EQ(create(3).status, 200);
    EXPECT_EQ(call(*server, idle, "IgetErrorMessage").status, 404);
    EXPECT_EQ(call(*server, used, "IgetErrorMessage").status, 200);
    EXPECT_EQ(create(4).status, 503);
}

// Controls started in one millisecond keep conversations of their own: the
// second page's "はい" is no answer to the offer the first page's reply
// made, and the first page going does not end the second's conversation.
TEST_F(PackageServerTest, PagesStartedInOneMillisecondKeepTheirOwnConversations)
{
    const auto server = serve();
    const std::string url = "http://" + HOST + "/sample.pdata";
    const std::string first = call(*server, "", "create").body;
    const std::string second = call(*server, "", "create").body;
    ASSERT_EQ(call(*server, first, "Iinitialize", url).body, "1");
    ASSERT_EQ(call(*server, second, "Iinitialize", url).body, "1");
    EXPECT_EQ(m_clock.elapsedMillis(), 0);
    const auto ask = [&](const std::string& handle, const char8_t* question) {
        call(*server, handle, "IsetUserQuestion", utf8(question));
        return call(*server, handle, "IgetReplyInfo").body;
    };
    EXPECT_EQ(ask(first, u8"営業時間を教えて"), test::sampleReplies(u8"営業時間表").at(0));
    const std::string weekend = test::sampleReplies(u8"土日営業表").at(0);
    EXPECT_NE(ask(second, u8"はい"), weekend);
    EXPECT_EQ(call(*server, first, "release").status, 200);
    EXPECT_EQ(ask(second, u8"営業時間を教えて"), test::sampleReplies(u8"営業時間表").at(0));
    EXPECT_EQ(ask(second, u8"はい"), weekend);
}

}  // namespace
}  // namespace quibo::orvane
