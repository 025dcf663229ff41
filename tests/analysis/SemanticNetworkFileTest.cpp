#include "analysis/SemanticNetworkFile.h"
#include "platform/Clock.h"
#include "tests/analysis/NetworkFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace quibo {
namespace {

using testing_support::networkFile;
using testing_support::writeFile;

const char8_t* const PAIR = u8R"(word 甲 n
word 乙 Nn*
word 丁 n
relation 甲 乙 0
relation 乙 乙 0
relation 丁 乙 0
)";

// Words without relations: every search is a cheap miss, and each pair of
// words and limit is its own cache entry.
std::string manyWordsSource()
{
    std::string text;
    for (int i = 0; i < 200; ++i) text += "word w" + std::to_string(i) + " -\n";
    return text;
}

class SemanticNetworkFileTest : public testing::Test {
protected:
    int open(SemanticNetworkFile& file, const std::string& path)
    {
        testing::internal::CaptureStderr();
        const int rc = file.open(path);
        m_stderr = testing::internal::GetCapturedStderr();
        return rc;
    }

    // Fills the cache with `count` distinct entries starting at pair `first`.
    static void search(SemanticNetworkFile& file, int first, int count)
    {
        for (int k = first; k < first + count; ++k) {
            const std::string a = "w" + std::to_string(k % 200);
            const std::string b = "w" + std::to_string(k / 200 % 200);
            int depth = 0;
            file.searchPath(a.c_str(), b.c_str(), &depth, k / 40000);
        }
    }

    std::string m_stderr;
};

TEST_F(SemanticNetworkFileTest, OpenReportsMissingAndBrokenFilesAndOpensOnce)
{
    SemanticNetworkFile file;
    EXPECT_EQ(open(file, "/nonexistent/pstorage"), -1);
    const std::string frame(55, '!');
    EXPECT_EQ(m_stderr, frame + "\nError: can not open SemanticNetwork file /nonexistent/pstorage.\n" + frame + "\n");
    EXPECT_EQ(file.network(), nullptr);

    EXPECT_EQ(open(file, writeFile("semnet-garbage", std::string(100, 'z'))), -2);
    EXPECT_EQ(file.network(), nullptr);

    const std::string path = networkFile("semnet-once", PAIR);
    EXPECT_EQ(open(file, path), 0);
    ASSERT_NE(file.network(), nullptr);
    std::remove(path.c_str());
    // Held already: nothing is read, so the removed file does not matter.
    EXPECT_EQ(open(file, path), 0);
    EXPECT_EQ(m_stderr, "");
}

TEST_F(SemanticNetworkFileTest, WithoutANetworkEveryQueryAnswersNothing)
{
    SemanticNetworkFile file;
    int depth = 5;
    EXPECT_EQ(file.searchPath("甲", "丁", &depth, 3), 0);
    EXPECT_EQ(depth, 5);
    EXPECT_TRUE(file.relations("甲").empty());
    EXPECT_EQ(file.listRelations("甲"), nullptr);
    EXPECT_EQ(file.collectWords("甲", 0), nullptr);
}

TEST_F(SemanticNetworkFileTest, RepeatedSearchIsAnsweredFromTheCache)
{
    platform::FakeClock clock;
    platform::ScopedClock scoped(clock);
    SemanticNetworkFile file;
    ASSERT_EQ(open(file, networkFile("semnet-cache", PAIR)), 0);
    int depth = 7;
    EXPECT_EQ(file.searchPath("甲", "丁", &depth, 0), 1);
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(file.cacheEntryCount(), 1u);
    depth = 7;
    EXPECT_EQ(file.searchPath("甲", "丁", &depth, 0), 1);
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(file.cacheEntryCount(), 1u);
    // Another limit is another question.
    EXPECT_EQ(file.searchPath("甲", "丁", &depth, 1), 1);
    EXPECT_EQ(file.cacheEntryCount(), 2u);
    // Unknown words are cached too, under the index -1.
    EXPECT_EQ(file.searchPath("甲", "無", &depth, 1), 0);
    EXPECT_EQ(file.searchPath("甲", "空", &depth, 1), 0);
    EXPECT_EQ(file.cacheEntryCount(), 3u);
}

TEST_F(SemanticNetworkFileTest, OverfullCacheDropsEntriesOlderThanTheMidpoint)
{
    platform::FakeClock clock;
    platform::ScopedClock scoped(clock);
    SemanticNetworkFile file;
    const std::string source = manyWordsSource();
    ASSERT_EQ(open(file, networkFile("semnet-evict", std::u8string(source.begin(), source.end()).c_str())), 0);

    search(file, 0, 16384);  // stamped 0 (the opening time)
    clock.advance(1000);
    search(file, 16384, 16384);  // stamped 1000
    ASSERT_EQ(file.cacheEntryCount(), SemanticNetworkFile::CACHE_LIMIT);
    clock.advance(1000);
    // The 32769th entry: cut-off 0 + (2000 - 0) / 2 = 1000 removes the first half.
    search(file, 32768, 1);
    EXPECT_EQ(file.cacheEntryCount(), 16385u);
    search(file, 16384, 16385);  // all still cached: no new entries
    EXPECT_EQ(file.cacheEntryCount(), 16385u);
    search(file, 0, 1);  // evicted: searched and cached again
    EXPECT_EQ(file.cacheEntryCount(), 16386u);
}

TEST_F(SemanticNetworkFileTest, EvictionThatRemovesNothingIsRetriedAtTheNextInsertion)
{
    platform::FakeClock clock;
    platform::ScopedClock scoped(clock);
    SemanticNetworkFile file;
    const std::string source = manyWordsSource();
    ASSERT_EQ(open(file, networkFile("semnet-evict2", std::u8string(source.begin(), source.end()).c_str())), 0);

    clock.advance(1000);
    search(file, 0, 32769);  // the last one evicts with cut-off 500: nothing is older
    EXPECT_EQ(file.cacheEntryCount(), 32769u);
    clock.advance(2000);
    search(file, 32769, 1);  // cut-off 500 + (3000 - 500) / 2 = 1750
    EXPECT_EQ(file.cacheEntryCount(), 1u);
}

}  // namespace
}  // namespace quibo
