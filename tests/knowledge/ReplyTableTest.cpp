#include "knowledge/CDictionary.h"
#include "knowledge/ReplyKind.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quibo {
namespace {

TEST(ReplyKindTest, KindNumbersMapToLettersAndLettersToTopicBits)
{
    struct Row {
        int kind;
        int letter;
        std::int32_t flag;
    };
    const Row rows[] = {
        {0, 'd', 0x001}, {1, 'w', 0x200}, {2, 'o', 0x400}, {3, 't', 0x010},
        {4, 'p', 0x080}, {5, 'l', 0x020}, {6, 'c', 0x004}, {7, 'h', 0x100},
        {8, 'n', 0x040}, {9, 'i', 0x002}, {10, 'e', 0x008}, {11, 'd', 0x001},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(replyKindLetter(row.kind), row.letter) << row.kind;
        EXPECT_EQ(replyKindFlag(row.letter), row.flag) << row.kind;
    }
    EXPECT_EQ(replyKindFlag('a'), 0x800);  // a bit but no kind number
    EXPECT_EQ(replyKindFlag('z'), 0);
    EXPECT_EQ(replyKindLetter(12), -1);
    EXPECT_EQ(replyKindLetter(-1), -1);
    EXPECT_EQ(replyKindLetter(-2147483647 - 1), -1);
}

TEST(ReplyKindTest, GroupKindFollowsTheSourceTypeAndIgnoresOthers)
{
    ReplyEntryGroup group;
    const std::pair<int, std::int32_t> kinds[] = {{0, 1}, {1, 64}, {2, 256}, {3, 32}};
    for (auto [kind, value] : kinds) {
        group.setKind(kind);
        EXPECT_EQ(group.getTypeId(), value) << kind;
    }
    group.setKind(1);
    group.setKind(4);
    EXPECT_EQ(group.getTypeId(), 64);
    group.setKind(-1);
    EXPECT_EQ(group.getTypeId(), 64);
}

class ReplyTableTest : public testing::Test {
protected:
    ReplySourceGroup source(int type, std::vector<ReplySourceItem> items)
    {
        ReplySourceGroup group;
        group.type = type;
        group.items = std::move(items);
        return group;
    }

    CDictionary dictionary;
    ReplyEntry noDefaults;
    ReplyTable table{"table"};
};

TEST_F(ReplyTableTest, KindElevenFilesUnderDLikeKindZero)
{
    EXPECT_EQ(table.addGroup(0, 11, source(0, {{"一", "", {"はい"}}}), noDefaults, dictionary, "t"), 'd');
    ASSERT_NE(table.findGroup('d'), nullptr);
    EXPECT_EQ(table.groups().size(), 1u);
}

TEST_F(ReplyTableTest, KindsOutsideTheTableAndEmptySourcesChangeNothing)
{
    const ReplySourceGroup filled = source(0, {{"一", "", {"はい"}}});
    EXPECT_EQ(table.addGroup(0, 12, filled, noDefaults, dictionary, "t"), -1);
    // A negative kind would index before the letter table: refused alike.
    EXPECT_EQ(table.addGroup(0, -1, filled, noDefaults, dictionary, "t"), -1);
    EXPECT_EQ(table.addGroup(0, 0, source(0, {}), noDefaults, dictionary, "t"), -1);
    EXPECT_TRUE(table.groups().empty());
    EXPECT_TRUE(dictionary.stringPool().empty());
}

TEST_F(ReplyTableTest, GroupKindValueComesFromTheTypeOnlyWhenThereAreReplyTexts)
{
    EXPECT_EQ(table.addGroup(0, 1, source(2, {{"一", "", {}}, {"二", "", {"はい"}}}), noDefaults, dictionary, "t"),
              'w');
    EXPECT_EQ(table.findGroup('w')->getTypeId(), 256);
    EXPECT_EQ(table.addGroup(0, 2, source(2, {{"一", "", {}}}), noDefaults, dictionary, "t"), 'o');
    EXPECT_EQ(table.findGroup('o')->getTypeId(), 1);
}

TEST_F(ReplyTableTest, EntriesCarryPooledLabelsNamesTextsAndNumberedTexts)
{
    noDefaults.names().insert(dictionary.internText("既定"));
    const ReplySourceGroup group =
        source(1, {{"ラベル", "東京 ; 大阪;東京 ", {"一つ目", "二つ目"}}, {"ラベル", "", {"三つ目"}}});
    ASSERT_EQ(table.addGroup(7, 9, group, noDefaults, dictionary, "topic"), 'i');

    const ReplyEntryGroup& stored = *table.findGroup('i');
    EXPECT_EQ(stored.getTypeId(), 64);
    ASSERT_EQ(stored.entries().size(), 2u);
    const ReplyEntry& first = stored.entries()[0];
    const ReplyEntry& second = stored.entries()[1];
    EXPECT_EQ(*first.label(), "ラベル");
    EXPECT_EQ(first.label(), second.label());  // one pooled copy
    EXPECT_EQ(first.joinNames(), "東京,大阪");  // trimmed, unique, in order
    EXPECT_EQ(first.texts(), (std::vector<std::string>{"一つ目", "二つ目"}));
    EXPECT_EQ(first.text(), "topic_0");
    EXPECT_EQ(first.titleRef(), nullptr);
    EXPECT_TRUE(first.titleRefs().empty());
    EXPECT_EQ(second.joinNames(), "既定");
    EXPECT_EQ(second.names(), noDefaults.names());
    EXPECT_EQ(second.text(), "topic_1");
}

TEST_F(ReplyTableTest, RefillingALetterReplacesItsGroup)
{
    table.addGroup(0, 0, source(0, {{"一", "", {"a"}}, {"二", "", {"b"}}}), noDefaults, dictionary, "t");
    table.addGroup(0, 11, source(3, {{"三", "", {"c"}}}), noDefaults, dictionary, "u");
    const ReplyEntryGroup& group = *table.findGroup('d');
    EXPECT_EQ(group.getTypeId(), 32);
    ASSERT_EQ(group.entries().size(), 1u);
    EXPECT_EQ(group.entries()[0].text(), "u_0");
}

TEST_F(ReplyTableTest, EntryCopiesShareEveryPointer)
{
    ReplyEntry entry;
    entry.setLabel(dictionary.internString("ラベル"));
    entry.addNames("甲;乙", dictionary);
    TopicTitle title(nullptr, nullptr);
    entry.titleRefs().push_back(&title);
    entry.setTitleRef(&title);
    entry.setText("t_0");

    ReplyEntry copy;
    copy.names().insert(dictionary.internText("丙"));
    copy = entry;
    EXPECT_EQ(copy.label(), entry.label());
    EXPECT_EQ(copy.joinNames(), "甲,乙");  // replaced, not merged
    EXPECT_EQ(*copy.names().begin(), *entry.names().begin());
    EXPECT_EQ(copy.titleRefs(), entry.titleRefs());
    EXPECT_EQ(copy.titleRef(), &title);
    EXPECT_EQ(copy.text(), "t_0");
}

TEST_F(ReplyTableTest, TitlesFindTheirTopicsGroupsWithFallbackToD)
{
    table.addGroup(0, 0, source(0, {{"d", "", {"d"}}}), noDefaults, dictionary, "t");
    table.addGroup(0, 9, source(1, {{"i", "", {"i"}}}), noDefaults, dictionary, "t");
    Topic topic;
    topic.setReplyTable(&table);
    topic.setReplyKinds(replyKindFlag('d') | replyKindFlag('n'));
    TopicTitle title(&topic, nullptr);

    EXPECT_TRUE(title.hasReplyKind('d'));
    EXPECT_FALSE(title.hasReplyKind('w'));
    EXPECT_FALSE(title.hasReplyKind('z'));
    // No 'w' bit: with the fallback the 'd' group answers, without it nothing.
    EXPECT_EQ(title.getReplyGroup('w', 1).entries().size(), 1u);
    EXPECT_EQ(title.getReplyGroup('w', 1).entries()[0].text(), "t_0");
    EXPECT_TRUE(title.getReplyGroup('w', 0).entries().empty());
    // The table has an 'i' group, but the topic does not offer 'i'.
    EXPECT_TRUE(title.getReplyGroup('i', 0).entries().empty());
    // The topic offers 'n', but its table holds no such group.
    EXPECT_TRUE(title.getReplyGroup('n', 1).entries().empty());

    TopicTitle orphan(nullptr, nullptr);
    EXPECT_FALSE(orphan.hasReplyKind('d'));
    EXPECT_TRUE(orphan.getReplyGroup('d', 1).entries().empty());
}

TEST_F(ReplyTableTest, TitlesShareAReplyTableThroughTheirTopics)
{
    ReplyTable other;
    Topic first, second, third;
    first.setReplyTable(&table);
    second.setReplyTable(&table);
    third.setReplyTable(&other);
    TopicTitle a(&first, nullptr), b(&second, nullptr), c(&third, nullptr), orphan(nullptr, nullptr);
    EXPECT_TRUE(a.sameReplyTable(&b));
    EXPECT_FALSE(a.sameReplyTable(&c));
    EXPECT_FALSE(a.sameReplyTable(nullptr));
    EXPECT_FALSE(a.sameReplyTable(&orphan));
    EXPECT_FALSE(orphan.sameReplyTable(&a));
}

TEST(ReplyPoolTest, PooledTextsRecordTheHostsOfTheirAddressesOnce)
{
    CDictionary dictionary;
    const std::string text = "見る http://www.example.jp/a,https://b.example.com,x";
    const std::string* pooled = dictionary.internText(text);
    EXPECT_EQ(*pooled, text);
    EXPECT_EQ(dictionary.hostNames(), (std::set<std::string>{"www.example.jp", "b.example.com"}));
    EXPECT_EQ(dictionary.internText(text), pooled);
    EXPECT_EQ(dictionary.hostNames().size(), 2u);

    dictionary.internText("://start.example/x");  // no scheme before it
    dictionary.internText("ftp://tail.example");  // host runs to the end
    EXPECT_EQ(dictionary.hostNames(), (std::set<std::string>{"www.example.jp", "b.example.com", "tail.example"}));
    EXPECT_EQ(dictionary.internString("a"), dictionary.internString("a"));
    EXPECT_TRUE(dictionary.stringPool().count("a"));
}

}  // namespace
}  // namespace quibo
