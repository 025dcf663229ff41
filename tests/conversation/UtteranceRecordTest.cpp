#include "conversation/UtteranceRecord.h"

#include "platform/Clock.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quibo {
namespace {

using Texts = std::vector<std::string>;

// A clock pinned at a UTC wall time, read in UTC.
class PinnedClock {
public:
    explicit PinnedClock(std::int64_t wallMillis) : m_zone("UTC0"), m_scope(m_clock) { m_clock.setWallMillis(wallMillis); }
    void advance(std::int64_t millis) { m_clock.advance(millis); }

private:
    test::ScopedTimeZone m_zone;
    platform::FakeClock m_clock;
    platform::ScopedClock m_scope;
};

// 2027-03-05 10:00:00 UTC.
constexpr std::int64_t TEN_O_CLOCK = 1804240800LL * 1000;

TEST(UtteranceRecordTest, NewRecordIsEmptyAndStampedNow)
{
    PinnedClock clock(TEN_O_CLOCK + 250);
    const UtteranceRecord record;
    EXPECT_EQ(record.result().sel_cand_id, -1);
    EXPECT_FALSE(record.result().hit);
    EXPECT_EQ(record.result().ans_sent, "");
    EXPECT_EQ(record.result().sent_form, "");
    EXPECT_EQ(record.getCondCount(), 0);
    EXPECT_EQ(record.getCandCount(), 0);
    EXPECT_EQ(record.stamp().instant().seconds, TEN_O_CLOCK / 1000);
    EXPECT_EQ(record.stamp().instant().microseconds, 250000);
    EXPECT_EQ(record.stamp().duration(), 0.0);
}

TEST(UtteranceRecordTest, ElapsedIsTheProcessingTimeAndIsKept)
{
    PinnedClock clock(TEN_O_CLOCK);
    UtteranceRecord record;
    clock.advance(250);
    const TimeStamp::Instant start = record.startProcTime();
    EXPECT_EQ(start.microseconds, 250000);
    clock.advance(850);
    EXPECT_DOUBLE_EQ(record.elapsed(), 0.85);
    EXPECT_DOUBLE_EQ(record.stamp().duration(), 0.85);
    clock.advance(1000);
    EXPECT_DOUBLE_EQ(record.elapsed(), 1.85);
}

TEST(UtteranceRecordTest, StampsOfZeroTimeAnswerNoElapsedTimeAndStampsGoOnPast2038)
{
    PinnedClock zero(0);
    UtteranceRecord record;
    zero.advance(5000);
    EXPECT_EQ(record.elapsed(), 0.0);

    PinnedClock later(2208988800LL * 1000 + 500);  // 2040-01-01 00:00:00.500 UTC
    UtteranceRecord late;
    EXPECT_EQ(late.stamp().instant().seconds, 2208988800LL);
    later.advance(1500);
    EXPECT_DOUBLE_EQ(late.elapsed(), 1.5);
}

TEST(UtteranceRecordTest, FormCodesAndPhraseTypesAsTexts)
{
    UtteranceRecord record;
    const std::pair<std::int32_t, const char*> forms[] = {{'d', "既定"}, {'i', "肯定"}, {'n', "否定"}, {'z', ""}, {0, ""}};
    for (const auto& [code, text] : forms) {
        record.setSentForm(code);
        EXPECT_EQ(record.result().sent_form, text) << code;
        const int item = record.addCand(0, -1, code, 0, 7, "", "");
        EXPECT_EQ(record.cands()[item].form, text) << code;
    }

    record.addCond(0, nullptr);
    const std::pair<std::uint32_t, Texts> phrases[] = {
        {3, {"肯定句", "否定句"}}, {0, {}}, {2, {"否定句"}}, {0x101, {"肯定句"}}};
    for (const auto& [flags, texts] : phrases) {
        record.setCondPhTypes(flags, 0);
        EXPECT_EQ(record.conds()[0].ph_types, texts) << flags;
    }
}

TEST(UtteranceRecordTest, WordsWithFlagAStandInParentheses)
{
    UtteranceRecord record;
    record.addCond(0, nullptr);
    record.setCondInWords(test::makeList({test::makeWord("パン", 0x200001),
                                          test::makeWord("ください", 0x100000, Morpheme::FLAG_A | Morpheme::FLAG_X)}),
                          0);
    EXPECT_EQ(record.conds()[0].in_words, (Texts{"パン", "(ください)"}));
}

TEST(UtteranceRecordTest, ConditionsAreFoundByTheirObjectAndEntriesOutOfRangeAreLeftAlone)
{
    UtteranceRecord record;
    int first = 0, second = 0;
    EXPECT_EQ(record.addCond(7, &first), 0);
    EXPECT_EQ(record.addCond(8, &second), 1);
    EXPECT_EQ(record.addCond(9, &first), 2);
    EXPECT_EQ(record.findCondId(&first), 7);
    EXPECT_EQ(record.findCondIndex(&second), 1);
    EXPECT_EQ(record.findCondId(&record), -1);
    for (int item : {-1, 3}) {
        record.setCondFlag(1, item);
        record.setCondObject(&record, item);
        EXPECT_EQ(record.getCandId(item), -1);
    }
    EXPECT_EQ(record.findCondIndex(&record), -1);
    for (const CondEntry& entry : record.conds())
        EXPECT_EQ(entry.flag, 0);
}

}  // namespace
}  // namespace quibo
