#include "conversation/ReplyRecord.h"

#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <memory>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;

TEST(ReplyRecordTest, DefaultsAreThoseOfARecordWithoutVerdict)
{
    const ReplyRecord record;
    EXPECT_EQ(record.hitValue, 6);
    EXPECT_EQ(record.hitLevel, 3);
    EXPECT_EQ(record.logCandidateId, -1);
    EXPECT_EQ(record.flagWord, 0u);
    EXPECT_EQ(record.replyKind, 0u);
    EXPECT_TRUE(record.texts.empty() && record.ids.empty() && record.units.empty() && record.recentKeys.empty());
    const ReplyUnit unit;
    EXPECT_EQ(unit.matchCode, 'd');
    EXPECT_EQ(unit.groupType, 1);
    EXPECT_EQ(unit.hitValue, 7);
    EXPECT_EQ(unit.score, INT_MAX);
    EXPECT_EQ(unit.logCandidateId, -1);
}

// Under the address sanitizer a copy that shared storage with its source
// would read freed memory here.
TEST(ReplyRecordTest, CopyOutlivesItsSource)
{
    auto source = std::make_unique<ReplyRecord>();
    source->texts = {"営業時間の質問"};
    source->ids = {133};
    source->words = makeList({makeWord("営業時間", pos::COMMON_NOUN)});
    ReplyUnit unit;
    unit.words = makeList({makeWord("開く", pos::VERB)});
    source->units = {unit, unit};
    KeyWordInfo key;
    key.keyWord = "パン";
    source->recentKeys = {key};

    const ReplyRecord copy = *source;
    ReplyRecord assigned;
    assigned = *source;
    source.reset();
    for (const ReplyRecord* record : {&copy, static_cast<const ReplyRecord*>(&assigned)}) {
        EXPECT_EQ(record->texts.at(0), "営業時間の質問");
        EXPECT_EQ(record->words.at(0).surfaceRef(), "営業時間");
        EXPECT_EQ(record->units.at(1).words.at(0).keyFormRef(), "開く");
        EXPECT_EQ(record->recentKeys.at(0).keyWord, "パン");
    }
}

}  // namespace
}  // namespace quibo
