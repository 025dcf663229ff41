#include "reply/TemplateExpander.h"

#include "knowledge/Entity.h"
#include "platform/Clock.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <ctime>

namespace quibo {
namespace {

// Japan's zone, nine hours ahead of UTC: a test that read UTC would see
// another hour and often another day.
class TemplateExpanderTest : public ::testing::Test {
protected:
    TemplateExpanderTest() : m_zone("JST-9"), m_scope(m_clock) {}

    void at(int year, int month, int day, int hour, int minute)
    {
        std::tm fields{};
        fields.tm_year = year - 1900;
        fields.tm_mon = month - 1;
        fields.tm_mday = day;
        fields.tm_hour = hour;
        fields.tm_min = minute;
        m_clock.setWallMillis((static_cast<std::int64_t>(timegm(&fields)) - 9 * 3600) * 1000 + 999);
    }
    static std::string expand(const std::string& text, const std::string& utterance = "ぱん")
    {
        return expandTemplate(text, utterance, MorphemeList(), nullptr);
    }

    test::ScopedTimeZone m_zone;
    platform::FakeClock m_clock;
    platform::ScopedClock m_scope;
};

// The band is the greatest name holding the time (朝 C4AB sorts after 昼
// C3EB, 夜 CCEB after both); "%A" is read in English whatever the locale.
TEST_F(TemplateExpanderTest, DateTimeAndBandAreTheClocksLocalTime)
{
    const std::string text = "&[月]/&[日] &[時]:&[分] &[曜日] &[現在の時間帯]";
    const std::tuple<int, int, int, int, int, const char*> cases[] = {
        {2024, 3, 5, 9, 5, "3/5 9:05 火 朝"},
        {2023, 10, 12, 0, 0, "10/12 0:00 木 夜"},
        {2024, 3, 10, 23, 59, "3/10 23:59 日 夜"},
        {2024, 3, 9, 12, 30, "3/9 12:30 土 昼"},
        {2024, 3, 9, 17, 30, "3/9 17:30 土 夜"},  // 昼 and 夜 both hold it
    };
    for (const auto& [year, month, day, hour, minute, expected] : cases) {
        at(year, month, day, hour, minute);
        EXPECT_EQ(expand(text), expected);
    }
    EXPECT_EQ(formatLocalTime("%A"), "Saturday");
}

TEST(WeekdayNameTest, EnglishAbbreviatedAndShiftJisNamesGiveOneKanji)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Monday", "月"}, {"Tue.", "火"}, {"\x90\x85\x97\x6A\x93\xFA", "水"}, {"\x93\xFA\x97\x6A\x93\xFA", "日"},
        {"sunday", "sunday"}, {"Thu", "Thu"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(weekdayName(name), expected) << name;
}

TEST_F(TemplateExpanderTest, VariablesFillInTableOrderAndAskForTheUtterance)
{
    at(2024, 3, 5, 10, 30);
    EXPECT_EQ(expand("&[分]分、&[月]月と&[月]"), "30分、3月と3");
    EXPECT_EQ(expand("「&[利用者発話]」ですね"), "「ぱん」ですね");
    EXPECT_EQ(expand("&[月]月に「&[利用者発話]」", ""), "・・・");
    EXPECT_EQ(expand("&[利用者挨拶時間帯]&[時"), "&[利用者挨拶時間帯]&[時");
}

// Values are inserted as they stand: a visitor text that reached the engine
// unnormalised and names a variable is not expanded again, and the text ends.
TEST_F(TemplateExpanderTest, InsertedValuesAreNotScannedAgain)
{
    at(2024, 3, 5, 10, 30);
    EXPECT_EQ(expand("「&[利用者発話]」&[月]", "&[利用者発話]&[月]"), "「&[利用者発話]&[月]」3");
    // Nor does a value complete a variable with the template text after it.
    EXPECT_EQ(expand("&[利用者発話]発話]", "&[利用者"), "&[利用者発話]");
    // An empty value joins the template text around it, as if never there.
    EXPECT_EQ(expand("&[月&[利用者挨拶発話]]"), "3");
}

TEST_F(TemplateExpanderTest, GreetingAndIgnoredWordsAreTheLastOfTheirEntitySets)
{
    std::unique_ptr<CDictionary> knowledge = test::compileSmall();
    knowledge->classifyEntities();
    auto bound = [&](const char* surface, const char* entity) {
        Morpheme word = test::makeWord(surface, pos::COMMON_NOUN);
        word.setKnowledgeObject(knowledge->findEntity(entity, false));
        return word;
    };
    // 店 has flag 1, 時間 flags 1 and 2, ＣＡ発話 flag 4.
    const MorphemeList words = test::makeList({bound("お店", "店"), bound("時間", "時間"), bound("どうも", "ＣＡ発話"),
                                               test::makeWord("雨", pos::COMMON_NOUN)});
    EXPECT_EQ(expandTemplate("[&[利用者挨拶発話]][&[利用者無視発話]]", "x", words, knowledge.get()), "[時間][どうも]");
    EXPECT_EQ(expandTemplate("[&[利用者挨拶発話]]", "x", test::makeList({words.words()[3]}), knowledge.get()), "[]");
}

}  // namespace
}  // namespace quibo
