#include "reply/ReplySelector.h"

#include "conversation/ChatSession.h"
#include "conversation/SessionLog.h"
#include "knowledge/Entity.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/ParsedText.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;

TopicUnit hitUnit(TopicTitle* target, std::int32_t matchCode, const MorphemeList& words = MorphemeList())
{
    TopicUnit unit;
    unit.kind() = TopicUnit::KIND_HIT;
    unit.setHit(target, 3);
    unit.matchCode() = matchCode;
    unit.score() = 40;
    unit.setWordList(words);
    return unit;
}

class ReplySelectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(loadKnowledgeFile(dictionary, test::sampleKnowledgePath()), 0);
        address = dictionary.idMap().find("住所")->second;
        hours = dictionary.idMap().find("営業時間")->second;
        SessionLogRegistry::remove(KEY);
    }
    void TearDown() override { SessionLogRegistry::remove(KEY); }

    // A candidate answering "店 開く は" (flags X, Y, none) whose judgement
    // holds one active and one inactive content.
    Candidate& addCandidate(std::int32_t flagWord, std::int32_t hitLevel, std::vector<TopicUnit> units)
    {
        auto sentence = std::make_shared<AnalyzedSentence>(
            "店開くは", makeList({makeWord("店", pos::COMMON_NOUN, Morpheme::FLAG_X),
                                  makeWord("開く", pos::VERB, Morpheme::FLAG_Y), makeWord("は", pos::PARTICLE)}));
        MeanContent active;
        active.dcaCode = 133;
        active.dcaGate = 1;
        active.meaningInfo = "営業";
        MeanContent inactive;
        inactive.dcaCode = 5;
        sentence->setMeanContents({active, inactive});
        Candidate candidate;
        candidate.setKnowledge(sentence);
        candidate.flagWord() = flagWord;
        candidate.hitLevel() = hitLevel;
        TopicRecord topic;
        topic.firstNumber = 0x10000001;
        candidate.setTopicRecord(topic);
        candidate.topicUnits() = std::move(units);
        session.getRequest().candidates().candidates().push_back(candidate);
        return session.getRequest().candidates().candidates().back();
    }

    // Opens a dialogue state through a reply of the group type on 住所.
    void enterState(std::int32_t groupType)
    {
        ReplyRecord record;
        ReplyUnit unit;
        unit.target = address;
        unit.groupType = groupType;
        record.units.push_back(unit);
        std::vector<ReplyRecord> records{record};
        session.getHistory().update(records, session.getReplyState(), 0);
    }

    static constexpr const char* KEY = "selector-test";
    CDictionary dictionary;
    TopicTitle* address = nullptr;
    TopicTitle* hours = nullptr;  // 'i' holds an indexed group (64)
    ChatSession session{KEY, "", &dictionary};
};

TEST_F(ReplySelectorTest, RecordCopiesTheChosenCandidateThenTheSentencesGo)
{
    SessionLog* log = SessionLogRegistry::get(KEY, "", "", "");
    log->addUtterance("店開くは");
    log->addCand(42, 0, 'i', 0, 0, "", "", -1);
    std::vector<KeyWordInfo> recent(3);
    for (int i = 0; i < 3; ++i)
        recent[i].headSurface = std::to_string(i);
    session.getReplyState().setRecentKeys(recent);
    addCandidate(0, 9, {});  // not chosen
    Candidate& chosen = addCandidate(0x40, 0, {hitUnit(hours, 'i', makeList({makeWord("時間", pos::COMMON_NOUN)}))});
    // A selection past the list makes no record and lets go of nothing.
    EXPECT_TRUE(ReplySelector::select(session, {2, 0, 1}).empty());
    EXPECT_NE(chosen.getKnowledge(), nullptr);

    const std::vector<ReplyRecord> records = ReplySelector::select(session, {1, 0, 1});
    ASSERT_EQ(records.size(), 1u);
    const ReplyRecord& record = records[0];
    EXPECT_EQ(record.ids, std::vector<std::int32_t>{133});  // the active content only
    EXPECT_EQ(record.texts, std::vector<std::string>{"営業"});
    EXPECT_EQ(record.wordsX + "/" + record.wordsY, "店/開く");
    EXPECT_EQ(test::keyForms(record.keyWords), "店 開く は");
    EXPECT_EQ(record.replyKind, 0x40u);
    EXPECT_EQ(record.replyFlags, 0u);  // no dialogue state: no state rule
    EXPECT_EQ(record.topicId, 0x10000001);
    EXPECT_EQ(record.logCandidateId, 42);
    ASSERT_EQ(record.units.size(), 1u);
    EXPECT_EQ(record.units[0].groupType, 64);
    EXPECT_EQ(record.units[0].logCandidateId, 42);
    EXPECT_EQ(test::keyForms(record.units[0].words), "時間");
    // The oldest recent key gives way to the candidate's (its head word is
    // the last noun with flag X).
    ASSERT_EQ(record.recentKeys.size(), 3u);
    EXPECT_EQ(record.recentKeys[0].headSurface + record.recentKeys[2].headSurface, "1店");
    // Each distinct sentence lost its first holder.
    EXPECT_EQ(session.getRequest().candidates()[0].getKnowledge(), nullptr);
    EXPECT_EQ(chosen.getKnowledge(), nullptr);
}

TEST_F(ReplySelectorTest, StateRuleAndHitLevelDecideFlagsAndUnits)
{
    struct Case {
        const char* name;
        std::int32_t stateGroup;  // 0: no dialogue state
        std::int32_t flagWord;
        std::int32_t matchCode;
        std::int32_t hitLevel;
        std::uint32_t flagWordAfter;
        std::uint64_t replyKind;
        std::uint32_t replyFlags;
        std::size_t units;
        bool historyReset;
    } cases[] = {
        {"no state: kind 0x4 taken as it is", 0, 0x4, 'i', 0, 0x4, 0x4, 0, 1, false},
        {"kind 2, rule 2: history reset", 128, 0x4, 'd', 0, 0x4, 0x4, 0x20, 1, true},
        {"kind 2, rule 0: refused, 128 still codes 'i'", 128, 0x1, 'i', 0, 128, 128, 0x200, 0, false},
        {"kind 2, rule 1: nothing added", 128, 0x2, 'n', 0, 0x2, 0x2, 0, 1, false},
        {"kind 4, no rule (1) on flag word 1, 'n'", 32, 0x1, 'n', 0, 0x1, 0x1, 0x100 | 0x400, 0, false},
        {"hit level 2: no rule, no units", 128, 0x4, 'i', 2, 0x4, 0x4, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session.getHistory().rewind(0, 0, 0);
        if (c.stateGroup)
            enterState(c.stateGroup);
        const std::size_t kindWords = session.getHistory().kindWords().size();
        session.getRequest().reset();
        addCandidate(c.flagWord, c.hitLevel, {hitUnit(hours, c.matchCode)});
        const std::vector<ReplyRecord> records = ReplySelector::select(session, {0, 0, 0});
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].flagWord, c.flagWordAfter);
        EXPECT_EQ(records[0].replyKind, c.replyKind);
        EXPECT_EQ(records[0].replyFlags, c.replyFlags);
        EXPECT_EQ(records[0].units.size(), c.units);
        EXPECT_EQ(records[0].logCandidateId, -1);
        EXPECT_EQ(session.getHistory().kindWords().size(), c.historyReset ? 0u : kindWords);
    }
}

TEST_F(ReplySelectorTest, AllUnitsEnterUnderTheirFlagAndUnitsWithoutTargetRepeatTheOneBefore)
{
    ParsedText exitText("発話出口", MorphemeList(), "");
    Entity exitEntity(&exitText, 4);
    TopicTitle exitTitle(nullptr, &exitEntity);
    TopicUnit none;  // kind 0: no target
    none.matchCode() = 'n';
    addCandidate(0x2000000, 0,
                 {none, hitUnit(hours, 'i', makeList({makeWord("時間", pos::COMMON_NOUN)})), none,
                  hitUnit(&exitTitle, 'd')});
    const std::vector<ReplyRecord> records = ReplySelector::select(session, {0, -1, 0});
    ASSERT_EQ(records.size(), 1u);
    const std::vector<ReplyUnit>& units = records[0].units;
    ASSERT_EQ(units.size(), 4u);
    EXPECT_EQ(units[0].groupType, 1);
    EXPECT_TRUE(units[0].words.empty());
    EXPECT_EQ(units[0].matchCode, 'n');
    EXPECT_EQ(units[0].hitValue, TopicUnit::NO_HIT);
    EXPECT_EQ(units[2].target, nullptr);
    EXPECT_EQ(units[2].groupType, 64);
    EXPECT_EQ(test::keyForms(units[2].words), "時間");
    EXPECT_EQ(units[3].target, &exitTitle);

    // With a dialogue state, a chosen unit that leads to the exit (its
    // title's first link) marks the record.
    ParsedText shopText("店", MorphemeList(), "");
    Entity shop(&shopText, 1);
    TopicTitle exitFirst(nullptr, &exitEntity);
    exitFirst.addCentre(&shop);
    TopicTitle exitLast(nullptr, &shop);
    exitLast.addCentre(&exitEntity);
    enterState(32);
    for (const auto& [title, flag] : {std::pair{&exitFirst, ReplyRecord::FLAG_EXIT}, {&exitLast, 0u}}) {
        session.getRequest().reset();
        addCandidate(0x2000000, 0, {hitUnit(title, 'd')});
        EXPECT_EQ(ReplySelector::select(session, {0, 0, 0})[0].replyFlags & ReplyRecord::FLAG_EXIT, flag);
    }

    session.getRequest().reset();
    EXPECT_TRUE(ReplySelector::select(session, {-1, -1, 0}).empty());
}

}  // namespace
}  // namespace quibo
