#include "conversation/Candidate.h"

#include "knowledge/AnalyzedSentence.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;

// A sentence that counts its deletions.
class CountedSentence : public AnalyzedSentence {
public:
    CountedSentence(const std::string& text, int& deletions, std::int32_t orderingValue = 0)
        : AnalyzedSentence(text, MorphemeList({makeWord(text, pos::COMMON_NOUN)}, orderingValue)),
          m_deletions(deletions)
    {
    }
    ~CountedSentence() override { ++m_deletions; }

private:
    int& m_deletions;
};

// A title of a given name (source text) and derivation; unlike the empty
// title, it has a type and a first slot.
std::unique_ptr<TopicTitle> titleNamed(const std::string& name, std::int32_t derivation = 0)
{
    auto title = std::make_unique<TopicTitle>(nullptr, nullptr);
    title->setType(topic_title_type::X_A_N);
    title->setSourceText(name);
    title->setWords(makeList({makeWord(name, pos::COMMON_NOUN)}));
    title->setXWords(title->getWords());
    title->setDerivation(derivation);
    return title;
}

Candidate withSentence(std::shared_ptr<AnalyzedSentence> sentence)
{
    Candidate candidate;
    candidate.setKnowledge(std::move(sentence));
    return candidate;
}

TEST(CandidateTest, SharedSentenceIsDeletedOnceAndNeverUnderAnotherHolder)
{
    int deletions = 0;
    auto shared = std::make_shared<CountedSentence>("パン", deletions);
    CandidateList list;
    list.candidates().assign(3, withSentence(shared));
    list.candidates().push_back(withSentence(std::make_shared<CountedSentence>("駅", deletions)));
    shared.reset();

    // A later stage prunes the first holder: the others still answer it.
    list.candidates().erase(list.candidates().begin());
    ASSERT_NE(list[0].getKnowledge(), nullptr);
    EXPECT_EQ(list[0].getKnowledge()->getText(), "パン");

    list.releaseKnowledgeObjects();
    EXPECT_EQ(list[0].getKnowledge(), nullptr);
    EXPECT_NE(list[1].getKnowledge(), nullptr);  // only the first holder's pointer goes
    EXPECT_EQ(list[2].getKnowledge(), nullptr);
    EXPECT_EQ(deletions, 1);  // "駅" had no other holder
    list.candidates().clear();
    EXPECT_EQ(deletions, 2);
}

TEST(CandidateTest, AddHitsMakesOneUnitPerNewTitleAndStampsTheFlagWord)
{
    int deletions = 0;
    const auto open = titleNamed("営業時間", 2);
    const auto again = titleNamed("営業時間");
    const auto place = titleNamed("住所");
    const auto empty = std::make_unique<TopicTitle>(nullptr, nullptr);
    CandidateList list;
    Candidate candidate = withSentence(std::make_shared<CountedSentence>("時間", deletions, 10));
    candidate.setHitValueCache(&list);
    const MorphemeList words = makeList({makeWord("時間", pos::COMMON_NOUN)});

    candidate.addHits({}, 0x4000, words);
    EXPECT_EQ(candidate.flagWord(), 0);

    candidate.addHits({{empty.get(), 1}, {nullptr, 1}, {open.get(), 3}, {place.get(), 4}}, 0x4000, words);
    ASSERT_EQ(candidate.topicUnits().size(), 2u);
    EXPECT_EQ(candidate.topicUnits()[0].getTarget(), open.get());
    EXPECT_EQ(candidate.unitScore(0), 10 + 2 + 3);  // score base + weight + hit value
    EXPECT_EQ(candidate.unitHitValue(1), 4);
    EXPECT_EQ(candidate.topicUnits()[1].getWordList().size(), 1u);
    EXPECT_EQ(candidate.flagWord(), 0x4000);
    EXPECT_EQ(list.cacheKey(), 0x4000u);
    EXPECT_EQ(list.cacheValue(), 1);  // the first hit's, skipped or not

    // Every title already a unit's (by name): no unit, yet the flag word is
    // stamped; the rule tables know no hit value for 0x18, so no cache.
    candidate.addHits({{again.get(), 5}}, 0x18, words);
    EXPECT_EQ(candidate.topicUnits().size(), 2u);
    EXPECT_EQ(candidate.flagWord(), 0x18);
    EXPECT_EQ(list.cacheKey(), 0x4000u);
    // For a DCA value the tables know, the cache takes the first item's
    // value although no unit was added.
    candidate.addHits({{again.get(), 5}}, 0x4000, words);
    EXPECT_EQ(candidate.topicUnits().size(), 2u);
    EXPECT_EQ(list.cacheKey(), 0x4000u);
    EXPECT_EQ(list.cacheValue(), 5);

    // Without a sentence the base is INT_MAX: the sum stays the worst score.
    Candidate bare;
    bare.addHits({{place.get(), 6}}, 0x2000, words);
    EXPECT_EQ(bare.unitScore(0), INT_MAX);
}

TEST(CandidateTest, ReplyKindFollowsUnitThenFlagWord)
{
    struct Case {
        std::int32_t flagWord;
        int index;
        std::int32_t unitKind;
        std::int32_t matchCode;
        std::uint64_t replyKind;
    };
    const Case cases[] = {
        {0x200, -1, 2, 'd', 0},  // a 0x200 verdict needs its unit
        {0x40000000, -1, 2, 'd', 0x100},
        {0x100, -1, 2, 'd', 0x200},
        {0x40, -1, 2, 'd', 0x40},
        {0x80, -1, 2, 'd', 0},  // not in the table
        {0x40, 0, 3, 'd', 0x80000000u},
        {0x200, 0, 2, 'i', 0x1000},
        {0x200, 0, 2, 'n', 0x2000},
        {0x200, 0, 2, 'z', 0x4000},
        {0x200, 1, 2, 'd', 0},  // past the end: as for no unit
        {0x4000, 0, 2, 'd', 0x40000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.flagWord << " unit " << c.index);
        Candidate candidate;
        TopicUnit unit;
        unit.kind() = c.unitKind;
        unit.matchCode() = c.matchCode;
        candidate.topicUnits().push_back(unit);
        candidate.flagWord() = c.flagWord;
        EXPECT_EQ(candidate.getReplyKind(c.index), c.replyKind);
    }
    // Without a unit, each handler's flag word gives its own reply kind.
    const std::pair<std::int32_t, std::uint64_t> kindOfFlag[] = {
        {0x1, 0x1}, {0x8, 0x8}, {0x10, 0x10}, {0x20, 0x20}, {0x400, 0x40000000}, {0x2000, 0x8000},
        {0x10000, 0x20000}, {0x80000, 0x200000}, {0x100000, 0x400000}, {0x1000000, 0x800000},
        {0x2000000, 0x1000000}, {0x4000000, 0x2000000}, {0x8000000, 0x4000000}, {0x10000000, 0x8000000}};
    for (const auto& [flagWord, replyKind] : kindOfFlag) {
        Candidate candidate;
        candidate.flagWord() = flagWord;
        EXPECT_EQ(candidate.getReplyKind(-1), replyKind) << std::hex << flagWord;
    }
}

TEST(CandidateTest, PerUnitQueriesAnswerDefaultsOutsideTheVector)
{
    const auto focus = titleNamed("パン");
    Candidate candidate;
    TopicRecord record;
    record.focus = focus.get();
    candidate.setTopicRecord(record);
    candidate.topicUnits().emplace_back();
    for (int index : {-2, 1, 1000}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(candidate.unitScore(index), INT_MAX);
        EXPECT_EQ(candidate.unitHitValue(index), INT_MAX);
        EXPECT_EQ(candidate.getUnitStatus(index), 4);
        EXPECT_EQ(candidate.getCorrelation(index), 0);
        EXPECT_FALSE(candidate.isKatsuyoukeiSame(index));
        EXPECT_FALSE(candidate.isYougenPairKatsuyoukeiSame(index));
        EXPECT_FALSE(candidate.hasStrongCorrelation(index));
        EXPECT_FALSE(candidate.isUnitUncorrelated(index));
        EXPECT_FALSE(candidate.hasHitValueSix(index));
        EXPECT_TRUE(candidate.unitWordPairs(index).empty());
        EXPECT_EQ(candidate.getUnitTarget(index), nullptr);
    }
    EXPECT_EQ(candidate.unitHitValue(-1), 7);
    EXPECT_EQ(candidate.getUnitTarget(-1), focus.get());
    EXPECT_FALSE(candidate.hasHitValueSix(-1));
}

TEST(CandidateTest, HitValueLookupUsesCacheThenRuleTables)
{
    const auto focus = titleNamed("パン");
    Candidate candidate;
    EXPECT_EQ(candidate.lookupHitValue(0x10000), 7);  // no owning list

    CandidateList list;
    candidate.setHitValueCache(&list);
    EXPECT_EQ(candidate.lookupHitValue(0x10000), 3);
    EXPECT_EQ(candidate.lookupHitValue(0x2000), 6);
    EXPECT_EQ(candidate.lookupHitValue(0x99), 6);
    TopicRecord record;
    record.focus = focus.get();
    candidate.setTopicRecord(record);
    EXPECT_EQ(candidate.lookupHitValue(0x2000), 5);
    EXPECT_EQ(candidate.lookupHitValue(0x99), 5);
    EXPECT_EQ(candidate.lookupHitValue(0x8), 6);  // 8 is never capped
    list.setCache(0x8, 2);
    EXPECT_EQ(candidate.lookupHitValue(0x8), 2);
}

TEST(CandidateTest, ResetKeepsDcaValuesAndUnits)
{
    const auto focus = titleNamed("パン");
    Candidate candidate;
    candidate.dcaValues() = {0x18, 0xFFFFFFFF80000000u};
    candidate.topicUnits().emplace_back();
    candidate.flagWord() = 0x18;
    TopicRecord record;
    record.focus = focus.get();
    candidate.setTopicRecord(record);

    candidate.reset();
    EXPECT_TRUE(candidate.hasDcaValue(0x8000000000000000u));
    EXPECT_EQ(candidate.topicUnits().size(), 1u);
    EXPECT_EQ(candidate.flagWord(), 0);
    EXPECT_FALSE(candidate.hasFocus());
}

TEST(CandidateTest, CountingMatchesLetsOneWordTakeSeveral)
{
    const MorphemeList a = makeList({makeWord("パン", pos::COMMON_NOUN), makeWord("駅", pos::COMMON_NOUN)});
    Morpheme bread = makeWord("ぱん", pos::COMMON_NOUN);
    bread.setKeyForm("パン");
    const MorphemeList b = makeList({makeWord("パン", pos::COMMON_NOUN), bread, makeWord("パン", pos::COMMON_NOUN)});
    EXPECT_EQ(countMatchingWords(a, b, 0), 2);  // both surfaces "パン"
    EXPECT_EQ(countMatchingWords(a, b, 1), 3);  // and the key form
    EXPECT_EQ(countMatchingWords(MorphemeList(), b, 2), 0);
}

TEST(CandidateTest, WordsSplitByTheirIgnorableFlags)
{
    const MorphemeList words = makeList({
        makeWord("店", pos::COMMON_NOUN),
        makeWord("あの", pos::ADNOMINAL, Morpheme::FLAG_I),
        makeWord("駅", pos::COMMON_NOUN, Morpheme::FLAG_X),
        makeWord("ね", pos::PARTICLE, Morpheme::FLAG_N),
        makeWord("謎", pos::COMMON_NOUN, Morpheme::FLAG_U),
    });
    EXPECT_EQ(test::keyForms(filterWordsByFlags(words, true)), "店 駅");
    EXPECT_EQ(test::keyForms(wordsWithSpecialFlags(words)), "あの ね 謎");
}

TEST(CandidateTest, FullTitleMatchNeedsTheWrittenInputAndAnUnderivedTitle)
{
    int deletions = 0;
    const auto plain = titleNamed("パン");
    const auto derived = titleNamed("パン", 1);
    Candidate candidate = withSentence(std::make_shared<CountedSentence>("パン", deletions));
    TopicRecord record;
    record.focus = plain.get();
    candidate.setTopicRecord(record);
    EXPECT_TRUE(candidate.isFullTitleMatch(-1));
    EXPECT_TRUE(candidate.isFullWordMatch(-1, true));
    record.focus = derived.get();
    candidate.setTopicRecord(record);
    EXPECT_FALSE(candidate.isFullTitleMatch(-1));
    EXPECT_FALSE(candidate.isFullTitleMatch(0));

    Candidate variant = withSentence(std::make_shared<CountedSentence>("パン", deletions, 1));
    record.focus = plain.get();
    variant.setTopicRecord(record);
    EXPECT_FALSE(variant.isFullTitleMatch(-1));
}

TEST(CandidateTest, ExitSwitchesTheUnitOrDropsTheCandidate)
{
    Entity exit(nullptr, 0);
    Entity other(nullptr, 0);
    Topic topic;
    TopicTitle hit(&topic, nullptr);
    TopicTitle exitTitle(nullptr, &exit);  // made from the exit entity
    TopicUnit unit;
    unit.kind() = TopicUnit::KIND_THREE;
    unit.setKind3Target(&exitTitle);
    unit.setHit(&hit, 4);
    Candidate candidate;
    candidate.topicUnits() = {unit};
    candidate.flagWord() = 0x200;

    candidate.applyExit(1, 1, &exit);
    candidate.applyExit(0, 0, &exit);
    candidate.applyExit(0, 1, &other);
    candidate.applyExit(0, 1, &exit);  // the hit's topic offers no 'd' replies
    EXPECT_EQ(candidate.topicUnits()[0].kind(), TopicUnit::KIND_THREE);
    candidate.applyExit(0, 2, &exit);
    EXPECT_EQ(candidate.flagWord(), 0);
    EXPECT_EQ(candidate.hitLevel(), 3);
    topic.setReplyKinds(0x1);
    candidate.applyExit(0, 1, &exit);
    EXPECT_EQ(candidate.topicUnits()[0].kind(), TopicUnit::KIND_HIT);
    EXPECT_EQ(candidate.topicUnits()[0].matchCode(), match_code::DIRECT);
    EXPECT_EQ(candidate.unitHitValue(0), 4);
}

}  // namespace
}  // namespace quibo
