#include "platform/UrlDownload.h"

#include "tests/support/HttpTestServer.h"
#include "tests/support/TempCacheHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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
    EXPECT_EQ(m_cache.files().size(), 2u);
}

TEST_F(UrlDownloadTest, FailedTransfersLeaveNothingInTheCache)
{
    HttpTestServer server;
    server.serve("/big.pdata", std::string(5000, 'b'));
    server.serve("/big-chunked.pdata", std::string(5000, 'b'), true);
    server.stall("/slow.pdata");
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
    EXPECT_TRUE(m_cache.files().empty());
}

}  // namespace
}  // namespace quibo::platform
