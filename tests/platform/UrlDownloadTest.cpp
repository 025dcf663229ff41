#include "platform/UrlDownload.h"

#include "platform/Clock.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TempCacheHome.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace quibo::platform {
namespace {

using test::HttpTestServer;
using test::TempCacheHome;

std::string contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream out;
    out << file.rdbuf();
    return out.str();
}

class UrlDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_source = m_cache.home() + "/source folder/a b.pdata";
        std::filesystem::create_directories(m_cache.home() + "/source folder");
        std::ofstream(m_source, std::ios::binary) << "knowledge";
    }

    TempCacheHome m_cache;
    std::string m_source;
};

TEST_F(UrlDownloadTest, LocalFilesAreUsedInPlace)
{
    for (const std::string& url : {m_source, "file://" + m_cache.home() + "/source%20folder/a%20b.pdata",
                                   "FILE://localhost" + m_source}) {
        const DownloadResult result = urlDownloadToCacheFile(url);
        EXPECT_TRUE(result.ok) << url << ": " << result.error;
        EXPECT_EQ(result.path, m_source) << url;
    }
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(m_cache.home());
    const DownloadResult relative = urlDownloadToCacheFile("source folder/../source folder/a b.pdata");
    std::filesystem::current_path(previous);
    EXPECT_EQ(relative.path, m_source);

    for (const std::string& url : {m_source + ".missing", m_cache.home(), "file://elsewhere" + m_source,
                                   std::string("ftp://127.0.0.1/x.pdata"), std::string()}) {
        const DownloadResult result = urlDownloadToCacheFile(url);
        EXPECT_FALSE(result.ok) << url;
        EXPECT_FALSE(result.error.empty()) << url;
    }
    EXPECT_TRUE(m_cache.files().empty());
}

TEST_F(UrlDownloadTest, HttpBodyLandsWholeInTheCache)
{
    HttpTestServer server;
    const std::string body(200000, 'k');
    server.serve("/kb/index.pdata", body);
    server.serve("/chunked:;.pdata", body, true);
    const DownloadResult first = urlDownloadToCacheFile(server.url("/kb/index.pdata?v=1"));
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_EQ(first.path.rfind(m_cache.folder(), 0), 0u);
    EXPECT_EQ(contents(first.path), body);
    const DownloadResult second = urlDownloadToCacheFile(server.url("/chunked:;.pdata"));
    ASSERT_TRUE(second.ok) << second.error;
    EXPECT_EQ(second.path.find_first_of(":;"), std::string::npos);
    EXPECT_EQ(contents(second.path), body);
    // Each copy has the URL and validators it came with beside it.
    EXPECT_EQ(m_cache.files().size(), 4u);
}

// The cache keeps one copy per URL, whatever version its query names, and
// fetches a file again only when the server says it changed.
TEST_F(UrlDownloadTest, OneCopyPerUrlFetchedAgainOnlyWhenChanged)
{
    HttpTestServer server;
    server.serve("/kb.pdata", "first");
    const DownloadResult first = urlDownloadToCacheFile(server.url("/kb.pdata?v=1"));
    ASSERT_TRUE(first.ok) << first.error;
    const DownloadResult again = urlDownloadToCacheFile(server.url("/kb.pdata?v=1"));
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.path, first.path);
    EXPECT_EQ(server.sent("/kb.pdata"), 1);
    server.serve("/kb.pdata", "second");
    const DownloadResult changed = urlDownloadToCacheFile(server.url("/kb.pdata?v=2"));
    ASSERT_TRUE(changed.ok) << changed.error;
    EXPECT_EQ(changed.path, first.path);
    EXPECT_EQ(contents(changed.path), "second");
    EXPECT_EQ(urlDownloadToCacheFile(server.url("/kb.pdata?v=2")).path, first.path);
    EXPECT_EQ(server.sent("/kb.pdata"), 2);
    EXPECT_EQ(m_cache.files().size(), 2u);
}

TEST_F(UrlDownloadTest, FailedTransfersLeaveNothingInTheCache)
{
    HttpTestServer server;
    server.serve("/big.pdata", std::string(5000, 'b'));
    server.serve("/big-chunked.pdata", std::string(5000, 'b'), true);
    server.stall("/slow.pdata");
    server.stall("/silent.pdata");
    const DownloadLimits limits{2000, 300, 4096};
    const struct {
        std::string path;
        std::string error;
    } cases[] = {
        {"/missing.pdata", "404"},
        {"/slow.pdata", "timed out"},
        {"/big.pdata", "larger than 4096 bytes"},
        {"/big-chunked.pdata", "larger than 4096 bytes"},
    };
    for (const auto& c : cases) {
        const DownloadResult result = urlDownloadToCacheFile(server.url(c.path), limits);
        EXPECT_FALSE(result.ok) << c.path;
        EXPECT_NE(result.error.find(c.error), std::string::npos) << c.path << ": " << result.error;
    }
    // A server that takes the request and never answers ends at the stall
    // time-out, long before the whole transfer's.
    const std::int64_t begin = clock().elapsedMillis();
    const DownloadResult silent = urlDownloadToCacheFile(server.url("/silent.pdata"), DownloadLimits{2000, 60000, 4096, 300});
    EXPECT_LT(clock().elapsedMillis() - begin, 3000);
    EXPECT_EQ(silent.error, server.url("/silent.pdata") + ": the server sent nothing for 300 ms");
    EXPECT_TRUE(m_cache.files().empty());
}

TEST_F(UrlDownloadTest, RedirectsAreFollowedOnlyToHttp)
{
    HttpTestServer server;
    server.serve("/kb.pdata", "knowledge");
    server.redirect("/moved.pdata", "/kb.pdata");
    server.redirect("/to-file.pdata", "file://" + m_source);
    const DownloadResult moved = urlDownloadToCacheFile(server.url("/moved.pdata"));
    ASSERT_TRUE(moved.ok) << moved.error;
    EXPECT_EQ(contents(moved.path), "knowledge");
    std::filesystem::remove(moved.path);
    std::filesystem::remove(moved.path + ".meta");

    const DownloadResult refused = urlDownloadToCacheFile(server.url("/to-file.pdata"));
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("\"file\""), std::string::npos) << refused.error;
    EXPECT_TRUE(m_cache.files().empty());
}

TEST_F(UrlDownloadTest, AServerThatNeverAcceptsEndsAtTheConnectTimeOut)
{
    // A listener whose queue of one connection is already full: the
    // system drops every further handshake unanswered.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        connect(fillers.back(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    // The queue is full only once the first filler's handshake is done.
    pollfd first{fillers.front(), POLLOUT, 0};
    ASSERT_EQ(poll(&first, 1, 2000), 1);

    const std::int64_t begin = clock().elapsedMillis();
    const DownloadResult result = urlDownloadToCacheFile(
        "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/kb.pdata", DownloadLimits{300, 10000, 4096});
    const std::int64_t took = clock().elapsedMillis() - begin;
    EXPECT_FALSE(result.ok);
    // libcurl words it "Timeout was reached", "Connection timeout" or
    // "timed out", by version and by the step that ran out of time.
    std::string lower = result.error;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(lower.find("timeout") != std::string::npos || lower.find("timed out") != std::string::npos)
        << result.error;
    // The connect limit ended it, long before the total one.
    EXPECT_GE(took, 300);
    EXPECT_LT(took, 2000);
    EXPECT_TRUE(m_cache.files().empty());
    for (int fd : fillers) {
        close(fd);
    }
    close(listener);
}

TEST_F(UrlDownloadTest, AnHttpsServerWhoseCertificateNoAuthoritySignedIsRefused)
{
    const std::string certificate = m_cache.home() + "/server.crt";
    const std::string key = m_cache.home() + "/server.key";
    const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
                                "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout '" +
                                key + "' -out '" + certificate + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        GTEST_SKIP() << "no openssl command to make a certificate";
    }
    HttpTestServer server(certificate, key);
    server.serve("/kb.pdata", "knowledge");
    const DownloadResult result = urlDownloadToCacheFile(server.url("/kb.pdata"));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("certificate"), std::string::npos) << result.error;
    EXPECT_TRUE(m_cache.files().empty());
}

}  // namespace
}  // namespace quibo::platform
