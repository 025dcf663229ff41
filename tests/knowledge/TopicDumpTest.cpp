#include "analysis/CodeConverter.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <string>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;

std::string utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

std::string toUtf8(const std::string& euc)
{
    return CodeConverter(euc).convert(CodeConverter::UTF8, CodeConverter::EUC);
}

TEST(TopicTitleTest, SlotTextsFollowTheTypeBits)
{
    TopicTitle title(nullptr, nullptr);
    title.setXWords(makeList({makeWord("東京", pos::PLACE_NAME), makeWord("タワー", pos::COMMON_NOUN)}));
    title.setYWords(makeList({makeWord("高い", pos::ADJECTIVE)}));
    title.setAWords(makeList({makeWord("昼", pos::COMMON_NOUN)}));
    struct Row {
        int type;
        const char* name;
        const char* first;
        const char* second;
        const char* third;
    };
    const Row rows[] = {
        {topic_title_type::A_Y_N, "A_Y_N", "＊", "高い", "ＮＵＬＬ"},
        {topic_title_type::A_Y_A, "A_Y_A", "＊", "高い", "＊"},
        {topic_title_type::X_A_N, "X_A_N", "東京タワー", "＊", "ＮＵＬＬ"},
        {topic_title_type::X_A_A, "X_A_A", "東京タワー", "＊", "＊"},
        {topic_title_type::X_Y_N, "X_Y_N", "東京タワー", "高い", "ＮＵＬＬ"},
        {topic_title_type::S_O_A, "S_O_A", "東京タワー", "高い", "昼"},
        {0x3F, "3f", "東京タワー", "高い", "昼"},
        {0, "0", "ＮＵＬＬ", "ＮＵＬＬ", "ＮＵＬＬ"},
    };
    for (const Row& row : rows) {
        title.setType(row.type);
        EXPECT_EQ(TopicTitle::typeName(row.type), row.name);
        EXPECT_EQ(title.slotText(1), row.first) << row.name;
        EXPECT_EQ(title.slotText(2), row.second) << row.name;
        EXPECT_EQ(title.slotText(3), row.third) << row.name;
        EXPECT_EQ(title.slotText(0), "");
        EXPECT_EQ(title.slotText(4), "");
    }
}

TEST(TopicTitleTest, FlagBitsAreIndependent)
{
    TopicTitle title(nullptr, nullptr);
    title.setSearchAble(true);
    title.setFlag3(true);
    title.setComplete(true);
    title.setComplete(false);
    EXPECT_EQ(title.getFlagWord(), TopicTitle::SEARCHABLE | TopicTitle::FLAG3);
    EXPECT_FALSE(title.isCompleteImi());
    title.mark();
    EXPECT_TRUE(title.isMarked());
}

class TopicDumpTest : public testing::Test {
protected:
    ParsedText towerTitle{"塔", makeList({makeWord("塔", pos::COMMON_NOUN)}), ""};
    Entity tower{&towerTitle, 0};
};

TEST_F(TopicDumpTest, TitleDumpShowsTypeFlagsSlotsAndCentres)
{
    TopicTitle title(nullptr, &tower);
    title.setType(topic_title_type::X_Y_N);
    title.setDcaBits(0x1A);
    title.setSearchAble(true);
    title.setCompleteImi(true);
    testing::internal::CaptureStdout();
    title.dump("見出し");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              utf8(u8"見出し\t( type=X_Y_N dcaBits=1a searchAbleFlg=1 completeFlg=0 completeFlgImi=1)\n"
                   u8"・S: \n・O: \n・A: (ＮＵＬＬ )\n"
                   u8"関連名詞\t[塔;]\n"));

    TopicTitle bare(nullptr, nullptr);
    bare.setType(0x40);
    const MorphemeList words = makeList({makeWord("高い", pos::ADJECTIVE)});
    bare.setSWords(words);
    testing::internal::CaptureStdout();
    bare.dump("");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              toUtf8("( type=40 dcaBits=0 searchAbleFlg=0 completeFlg=0 completeFlgImi=0)\n・S: " +
                     words.dump("", 0x17F) + "・O: \n・A: (ＮＵＬＬ )\n関連名詞\t[]\n"));
    EXPECT_EQ(bare.toString("h"), "DEBUG:\th\t( type=40 " + words.dump("", 0x17F) + "\n\n");
}

TEST_F(TopicDumpTest, EntityDumpListsItsTopicsAndTheirTitles)
{
    Topic topic;
    TopicTitle first(&topic, &tower);
    TopicTitle second(&topic, nullptr);
    first.setType(topic_title_type::X_A_N);
    second.setType(topic_title_type::A_Y_N);
    topic.addTitle(&first);
    topic.addTitle(&second);
    tower.addTopic(&topic);

    const std::string titleLines = "( type=X_A_N dcaBits=0 searchAbleFlg=0 completeFlg=0 completeFlgImi=0)\n"
                                   "・S: \n・O: \n・A: (ＮＵＬＬ )\n関連名詞\t[塔;]\n";
    const std::string otherLines = "( type=A_Y_N dcaBits=0 searchAbleFlg=0 completeFlg=0 completeFlgImi=0)\n"
                                   "・S: \n・O: \n・A: (ＮＵＬＬ )\n関連名詞\t[]\n";
    const std::string topicLines = "\tTopicTitle=" + titleLines + "\tTopicTitle=" + otherLines;

    testing::internal::CaptureStdout();
    tower.dump("");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), toUtf8("Entity title=塔,yomi=\n" + topicLines));

    // The topics alone; a topic prints its header once itself and once
    // through its title list.
    testing::internal::CaptureStdout();
    tower.topicRefs().dump("話題");
    topic.dump("見出し");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              toUtf8("話題\n" + topicLines + "見出し\n見出し\n" + topicLines));

    // Each title: its two empty word lists in print form, then a line end.
    EXPECT_EQ(topic.toString(""), "DEBUG:\tDEBUG:\t\tTopicTitle=DEBUG:\t( type=X_A_N \n\n\n"
                                  "\tTopicTitle=DEBUG:\t( type=A_Y_N \n\n\n");
    EXPECT_EQ(tower.topicRefs().toString("h"), "DEBUG:\th\n" + topic.toString("h"));
}

}  // namespace
}  // namespace quibo
