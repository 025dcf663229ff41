#include "knowledge/CDictionary.h"

#include "knowledge/ReplyTable.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/KnowledgeSamples.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

struct Resolved {
    TopicTitle* object = nullptr;
    int index = -1;
    std::vector<TopicTitle*> titles;
};

class ResolveIdTest : public ::testing::Test {
protected:
    Resolved resolve(const std::string& id, const CDictionary& dictionary)
    {
        Resolved out;
        dictionary.resolveId(id, out.object, out.index, out.titles);
        return out;
    }
    Resolved resolve(const std::string& id) { return resolve(id, *small); }
    TopicTitle* titleOf(const char* topic, std::size_t k) { return small->topics().at(topic)->titles().titles()[k]; }

    std::unique_ptr<CDictionary> small = test::compileSmall();
};

TEST_F(ResolveIdTest, EmptyIdCollectsPrioritisedTitlesInAscendingOrder)
{
    const Resolved out = resolve("");
    // "店" has priority 1 and stands under two ids ("店" and "二番"), "時間"
    // has 2; "挨拶" has none.
    EXPECT_EQ(out.titles, (std::vector<TopicTitle*>{titleOf("時間", 1), titleOf("時間", 1), titleOf("時間", 0)}));
    EXPECT_EQ(out.object, nullptr);
    EXPECT_EQ(out.index, 0);
}

TEST_F(ResolveIdTest, PlainIdListsItsTitlesAndAnAbsentOneChangesNothing)
{
    EXPECT_EQ(resolve("二番").titles, std::vector<TopicTitle*>{titleOf("時間", 1)});
    const Resolved absent = resolve("無い");
    EXPECT_TRUE(absent.titles.empty());
    EXPECT_EQ(absent.index, -1);
}

TEST_F(ResolveIdTest, OneUnderscorePicksAnEntryOfTheTitlesReplyTable)
{
    // Entry 1 of the 'd' group leads to the title "店＿Ｃ＿", which carries the
    // C mark and so comes after the unmarked ones and the single reference.
    const Resolved out = resolve("時間_1");
    EXPECT_EQ(out.object, titleOf("時間", 0));
    EXPECT_EQ(out.index, 1);
    EXPECT_EQ(out.titles, std::vector<TopicTitle*>{titleOf("時間", 1)});
    EXPECT_TRUE(titleOf("時間", 1)->hasCMark());

    // A 'd' group of two entries: index 7 stays in it and picks nothing.
    const std::size_t groups = small->topics().at("時間")->getReplyTable()->groups().size();
    const Resolved beyond = resolve("時間_7");
    EXPECT_EQ(beyond.index, 7);
    EXPECT_TRUE(beyond.titles.empty());
    EXPECT_EQ(small->topics().at("時間")->getReplyTable()->groups().size(), groups);

    // No digits read as 0; a huge number saturates instead of overflowing.
    EXPECT_EQ(resolve("時間_x").index, 0);
    EXPECT_EQ(resolve("時間_99999999999999999999").index, INT32_MAX);
    EXPECT_EQ(resolve("無い_1").index, -1);
}

TEST_F(ResolveIdTest, IndexedGroupOverflowsIntoTheNextGroup)
{
    CDictionary dictionary;
    Topic* topic = dictionary.addTopic("t", std::make_unique<Topic>());
    ReplyTable* table = dictionary.addReplyTable(std::make_unique<ReplyTable>("t"));
    topic->setReplyTable(table);
    TopicTitle* title = dictionary.adoptTitle(std::make_unique<TopicTitle>(topic, nullptr));
    TopicTitle* next = dictionary.adoptTitle(std::make_unique<TopicTitle>(topic, nullptr));
    dictionary.addIdTitle("t", title);
    for (int k = 0; k < 3; ++k)
        table->groups()['i'].add(ReplyEntry());
    ReplyEntry leading;
    leading.setTitleRef(next);
    table->groups()['n'].add(ReplyEntry());
    table->groups()['n'].add(leading);

    // Three 'i' entries: index 4 is entry 1 of 'n'; index 5 is none.
    EXPECT_EQ(resolve("t_4", dictionary).titles, std::vector<TopicTitle*>{next});
    EXPECT_TRUE(resolve("t_2", dictionary).titles.empty());
    EXPECT_TRUE(resolve("t_5", dictionary).titles.empty());
    EXPECT_EQ(table->groups().size(), 2u);
}

TEST_F(ResolveIdTest, MissingOwnerOrTableAppendsNothing)
{
    CDictionary dictionary;
    TopicTitle* orphan = dictionary.adoptTitle(std::make_unique<TopicTitle>(nullptr, nullptr));
    dictionary.addIdTitle("孤", orphan);
    Topic* bare = dictionary.addTopic("b", std::make_unique<Topic>());
    dictionary.addIdTitle("裸", dictionary.adoptTitle(std::make_unique<TopicTitle>(bare, nullptr)));
    dictionary.addIdTitle("空", nullptr);

    const Resolved out = resolve("孤_0", dictionary);
    EXPECT_EQ(out.object, orphan);
    EXPECT_TRUE(out.titles.empty());
    EXPECT_TRUE(resolve("裸_0", dictionary).titles.empty());
    EXPECT_TRUE(resolve("空_0", dictionary).titles.empty());
    EXPECT_TRUE(resolve("空", dictionary).titles.empty());
}

TEST_F(ResolveIdTest, TwoUnderscoresListTheTitlesOfTheTail)
{
    const Resolved out = resolve("時間_3_何か_店");
    EXPECT_EQ(out.object, titleOf("時間", 0));
    EXPECT_EQ(out.index, 3);
    EXPECT_EQ(out.titles, std::vector<TopicTitle*>{titleOf("時間", 1)});
}

TEST(DictionaryKeyTest, KeyIsPathTabTime)
{
    EXPECT_EQ(makeDictionaryKey("C:\\kb\\index.pdata", "2026/12/08 10:00:00"),
              "C:\\kb\\index.pdata\t2026/12/08 10:00:00");
    CDictionary dictionary;
    EXPECT_EQ(dictionary.getCacheKey(), "\t");
}

TEST(EntitySetChoiceTest, OtherBitsGiveTheSetOfEight)
{
    CDictionary dictionary;
    EXPECT_NE(dictionary.getEntitySet(1), dictionary.getEntitySet(2));
    EXPECT_NE(dictionary.getEntitySet(4), dictionary.getEntitySet(8));
    EXPECT_EQ(dictionary.getEntitySet(3), dictionary.getEntitySet8());
    EXPECT_EQ(dictionary.getEntitySet(16), dictionary.getEntitySet8());
}

}  // namespace
}  // namespace quibo
