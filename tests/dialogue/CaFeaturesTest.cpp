#include "dialogue/CaFeatures.h"

#include "conversation/ChatSession.h"
#include "dialogue/DcaHandler.h"
#include "conversation/ReplyContext.h"
#include "conversation/SessionLog.h"
#include "knowledge/CDictionary.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/InstalledAnalyzer.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/Words.h"
#include "tools/KnowledgeCompiler.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;

MeanContent content(int id)
{
    MeanContent c;
    c.dcaCode = id;
    return c;
}

std::shared_ptr<AnalyzedSentence> sentence(const std::string& text, bool searchable,
                                           const std::vector<MeanContent>& contents = {})
{
    auto s = std::make_shared<AnalyzedSentence>(text, MorphemeList());
    s->setFlag2(searchable);
    s->setMeanContents(contents);
    return s;
}

TEST(CaFeaturesTest, ExpressionBitsOfMappedIdsOnly)
{
    EXPECT_EQ(CaFeatures::expressionBits({content(94), content(7), content(999)}), 0x81u);
    EXPECT_EQ(CaFeatures::expressionBits({}), 0u);
}

TEST(CaFeaturesTest, FeatureWordOfSentenceRulesAndContext)
{
    CDictionary knowledge;
    ReplyState state;
    // No content word and no entity: the count of content words equals the
    // count of entities named (0 = 0).
    Candidate empty;
    empty.setKnowledge(sentence("", false));
    const std::uint64_t bits = CaFeatures::computeFeatureBits(empty, 0, state, knowledge);
    EXPECT_EQ(bits & 0x40000002u, 0x40000000u);
    EXPECT_EQ(bits >> 32 & 0x400, 0u);
    EXPECT_EQ(bits & 0x4000000, 0u);  // no context title

    // Ids 102 and 95 give the expression bits 0x1002, answered by the rule
    // flags 0x8000 | 0x1000 | 0x2: low bits 0x800 and 0x8000, not 0x1000.
    Candidate ruled;
    ruled.setKnowledge(sentence("", false, {content(102), content(95)}));
    TopicTitle context(nullptr, nullptr);
    ruled.setContext(&context);
    const std::uint64_t ruledBits = CaFeatures::computeFeatureBits(ruled, 0, state, knowledge);
    EXPECT_EQ(ruled.ruleFeatureWord(), 0x9002);
    EXPECT_EQ(ruledBits & 0x9800, 0x8800u);
    // A context title without links: present, and none of its links named.
    EXPECT_EQ(ruledBits & 0x4080000, 0x4080000u);
}

// What the sentence names: an entity of bit 4 (a conversation act) gives
// 0x8, and with it 0x1; a single named entity of bit 8 (a class) for a
// single range word 0x400 (beside 0x4 of its set); a word that the network
// puts in a noun class 0x8000000.
TEST(CaFeaturesTest, FeatureWordOfTheNamedEntities)
{
    const std::unique_ptr<CDictionary> base = KnowledgeCompiler(test::oneNounAnalysis).compile(
        reinterpret_cast<const char*>(u8R"(
entity 挨拶 flags=4
entity 食べ物 flags=8
table 段取り表
group 0 type=2
entry 一
topic 段取り table=段取り表 entities=挨拶
title X_A_N source=段取り x=段取り id=段取り complete=1 centres=挨拶,食べ物
)"));
    base->classifyEntities();
    ReplyState state;
    auto bitsOf = [&](const std::string& word, const char* entity, TopicTitle* related = nullptr) {
        auto named = std::make_shared<AnalyzedSentence>(word, makeList({makeWord(word, pos::COMMON_NOUN, Morpheme::FLAG_X)}));
        if (entity)
            named->extra().insert(base->findEntity(entity, false));
        Candidate candidate;
        candidate.setKnowledge(named);
        candidate.setRelated(related);
        return CaFeatures::computeFeatureBits(candidate, 0, state, *base);
    };
    EXPECT_EQ(bitsOf("挨拶", "挨拶") & 0x800040D, 0x9u);
    EXPECT_EQ(bitsOf("食べ物", "食べ物") & 0x800040D, 0x405u);
    // The last reply's title: high 0x8, and 0x20 when it shares a range word.
    TopicTitle related(nullptr, nullptr);
    related.setWords(makeList({makeWord("挨拶", pos::COMMON_NOUN)}));
    EXPECT_EQ(bitsOf("挨拶", nullptr, &related) >> 32 & 0x28, 0x28u);
    EXPECT_EQ(bitsOf("食べ物", nullptr, &related) >> 32 & 0x28, 0x8u);
    // A focus title sharing a range word gives high 0x1, an object the last
    // replies left to remember high 0x4; a sentence that names no act other
    // than a reflex's 0x10000000, one that asks for a confirmation not.
    ReplyState remembering;
    remembering.addUtterance("挨拶", MorphemeList(), KeyRow({base->findEntity("挨拶", false)}));
    for (const bool confirming : {false, true}) {
        auto greeting = std::make_shared<AnalyzedSentence>("挨拶", makeList({makeWord("挨拶", pos::COMMON_NOUN, Morpheme::FLAG_X)}));
        MeanContent asks = content(1);
        asks.dcaGate = 1;
        if (confirming)
            greeting->setMeanContents({asks});
        Candidate candidate;
        candidate.setKnowledge(greeting);
        TopicRecord record;
        record.focus = &related;
        candidate.setTopicRecord(record);
        const std::uint64_t bits = CaFeatures::computeFeatureBits(candidate, 0, remembering, *base);
        EXPECT_EQ(bits >> 32 & 0x5, 0x5u);
        EXPECT_EQ(bits & 0x10000000, confirming ? 0u : 0x10000000u);
    }
    // A context title of a scenario (its 'd' group of type 256), complete,
    // with two links: 0x20000000, 0x100000 and high 0x200 beside 0x4000000;
    // a sentence of few content words after it high 0x100.  A candidate with
    // a focus title in a state of family 0x100 gives 0x2000000.
    Candidate followUp;
    auto few = std::make_shared<AnalyzedSentence>("", MorphemeList());
    few->setFlag0(true);
    followUp.setKnowledge(few);
    followUp.setContext(base->idMap().find("段取り")->second);
    TopicRecord focused;
    focused.focus = followUp.getContext();
    followUp.setTopicRecord(focused);
    const std::uint64_t contextBits = CaFeatures::computeFeatureBits(followUp, 0x100, state, *base);
    EXPECT_EQ(contextBits & 0x26100000, 0x26100000u);
    EXPECT_EQ(contextBits >> 32 & 0x300, 0x300u);
    test::ScopedSemanticNetwork network;
    network->reach("パン", 1, 0, "食べ物");
    EXPECT_EQ(bitsOf("パン", nullptr) & 0x800040D, 0x8000000u);
}

// The match code counts 1 when the context title's words are all among the
// sentence's, and 2 when the sentence's words are all among the other words.
TEST(CaFeaturesTest, MatchCodeCountsTheContextOneAndTheOtherWordsTwo)
{
    const Morpheme bread = makeWord("パン", pos::COMMON_NOUN);
    const Morpheme price = makeWord("値段", pos::COMMON_NOUN);
    const MorphemeList words = makeList({bread, price});
    const MorphemeList more = makeList({bread, price, makeWord("店", pos::COMMON_NOUN)});
    TopicTitle named(nullptr, nullptr);
    named.setWords(makeList({bread}));
    TopicTitle other(nullptr, nullptr);
    other.setWords(makeList({makeWord("駅", pos::COMMON_NOUN)}));
    EXPECT_EQ(CaFeatures::matchCode(words, &named, more), 3);
    EXPECT_EQ(CaFeatures::matchCode(words, &named, makeList({bread})), 1);
    EXPECT_EQ(CaFeatures::matchCode(words, &other, more), 2);
    EXPECT_EQ(CaFeatures::matchCode(words, nullptr, makeList({bread})), 0);
}

// The kept candidates' condition entries follow them down the list; the
// dropped ones' name nothing, so no entry is taken for a moved candidate's.
TEST(CaFeaturesTest, PruningKeepsTheFirstAndEveryCandidateWithValues)
{
    const struct {
        std::vector<bool> values;
        std::vector<int> conditions;  // the condition ids of the kept candidates
    } cases[] = {
        {{true, false, false}, {0}},
        {{false, false}, {0}},
        {{false}, {0}},
        {{false, true, false}, {0, 1}},
        {{true, false, true, false, true}, {0, 2, 4}},
    };
    for (const auto& c : cases) {
        // One sentence for all: the dropped candidates let go of it, the
        // kept ones still hold it.
        auto shared = sentence("A", true);
        const std::weak_ptr<AnalyzedSentence> watch = shared;
        std::vector<Candidate> list(c.values.size());
        SessionLog log("key", "", "", "");
        for (std::size_t k = 0; k < list.size(); ++k) {
            list[k].setKnowledge(shared);
            if (c.values[k])
                list[k].dcaValues().push_back(0x4000);
            CaFeatures::logCandidate(&log, list[k], k == 0);
        }
        shared.reset();
        CaFeatures::pruneCandidates(list, &log);
        ASSERT_EQ(list.size(), c.conditions.size());
        EXPECT_EQ(watch.use_count(), static_cast<long>(list.size()));
        EXPECT_EQ(list.front().getKnowledge()->getText(), "A");
        std::vector<int> conditions;
        for (const Candidate& candidate : list)
            conditions.push_back(log.findCondId(&candidate, -1));
        EXPECT_EQ(conditions, c.conditions);
        const auto& entries = log.utterances().back().conds();
        EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const CondEntry& e) { return e.object != 0; }),
                  static_cast<long>(list.size()));
    }
}

TEST(CaFeaturesTest, PairingWithoutContextMakesOneCandidatePerSentence)
{
    SessionLog log("key", "", "", "");
    const auto s = sentence("S", false);
    std::vector<Candidate> list;
    CaFeatures::Pairing pairing;
    pairing.prefix = "前、";
    pairing.text = "S";
    // The same sentence twice, no context, no marked record: one candidate.
    CaFeatures::pairHits(list, {s, s}, {}, {}, pairing, &log);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].getContext(), nullptr);
    EXPECT_EQ(list[0].fullText(), "前、S");
    ASSERT_EQ(log.getCondCount(-1), 1);
    EXPECT_EQ(log.findCondIndex(&list[0], -1), 0);
    EXPECT_EQ(log.utterances().back().conds()[0].flag, 1);

    // A record whose focus is a "＿Ｃ＿" title pairs with every sentence
    // first, and its candidates need no sentence of their own.
    TopicTitle marked(nullptr, nullptr);
    marked.setSourceText("店＿Ｃ＿");
    TopicRecord record;
    record.focus = &marked;
    const auto t = sentence("T", false);
    list.clear();
    CaFeatures::pairHits(list, {s, t}, {}, {record}, pairing, &log);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].getKnowledge(), s.get());
    EXPECT_EQ(list[1].getKnowledge(), t.get());
    EXPECT_EQ(list[1].getTopicRecord().focus, &marked);
    EXPECT_EQ(log.utterances().back().conds()[2].flag, 1);
}

TEST(CaFeaturesTest, PairingNeverGrowsPastTheReservedRoom)
{
    const std::vector<TopicRecord> records(CaFeatures::CANDIDATE_ROOM + 100);
    std::vector<Candidate> list;
    list.reserve(CaFeatures::CANDIDATE_ROOM);
    SessionLog log("key", "", "", "");
    // 601 weightless pairings of one searchable sentence in the unlimited
    // first pass: the list is full at 500, the other 101 are counted.
    const std::size_t dropped =
        CaFeatures::pairHits(list, {sentence("S", true)}, {}, records, CaFeatures::Pairing(), &log);
    EXPECT_EQ(list.size(), CaFeatures::CANDIDATE_ROOM);
    EXPECT_EQ(dropped, 101u);
    EXPECT_EQ(log.getCondCount(-1), 500);
    EXPECT_EQ(log.findCondIndex(&list.back(), -1), 499);

    // A limited first pass stops at ten.
    list.clear();
    CaFeatures::Pairing piece;
    piece.firstPassUnlimited = false;
    EXPECT_EQ(CaFeatures::pairHits(list, {sentence("S", true)}, {}, records, piece, nullptr), 0u);
    EXPECT_EQ(list.size(), CaFeatures::LIMITED_PASS_SIZE);
}

// A first question over the sample base: no reply context, no history.
class SampleCaFeaturesTest : public test::InstalledAnalyzerTest {};

TEST_F(SampleCaFeaturesTest, FirstQuestionReachesItsTopicThroughTheHandlers)
{
    CDictionary dictionary;
    ASSERT_EQ(loadKnowledgeFile(dictionary, test::sampleKnowledgePath()), 0);
    ChatSession session("key", "sample", &dictionary);
    TurnRequest& request = session.getRequest();
    request.setStatus(TurnRequest::PLAIN);
    request.sentences().insert("営業時間を教えてください");
    SessionLog log("key", "", "", "");
    CaFeatures::collectCandidates(dictionary, request, {}, nullptr, &log, "", MorphemeList());

    CandidateList& candidates = request.candidates();
    ASSERT_FALSE(candidates.empty());
    EXPECT_EQ(log.getCondCount(-1), static_cast<int>(candidates.size()));
    bool reached = false;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        Candidate& candidate = candidates[k];
        EXPECT_EQ(log.findCondIndex(&candidate, -1), static_cast<int>(k));
        candidate.setHitValueCache(&candidates);
        const std::uint64_t bits = CaFeatures::computeFeatureBits(candidate, 0, session.getReplyState(), dictionary);
        CaFeatures::applyRuleFilter(bits, candidate.dcaValues());
        for (std::uint64_t value : candidate.dcaValues()) {
            const auto handler = makeDcaHandler(value, &session);
            if (!handler || !handler->apply(&candidate, &dictionary))
                continue;
            for (const TopicUnit& unit : candidate.topicUnits())
                reached = reached || (unit.getTarget() && unit.getTarget()->sourceText() == "営業時間を教えて");
            break;
        }
    }
    EXPECT_TRUE(reached);
}

// After the hours' reply, whose text names Saturday (the meaning rule 関連
// gives the active item "土日営業") and is negated (an active item naming no
// title): the context titles are the weekend title alone, and every
// candidate carries the reply's source as its related title.
TEST_F(SampleCaFeaturesTest, CollectionAfterAReplyPairsWithItsTitles)
{
    CDictionary dictionary;
    ASSERT_EQ(loadKnowledgeFile(dictionary, test::sampleKnowledgePath()), 0);
    TopicTitle* hours = dictionary.idMap().find("営業時間")->second;
    TopicTitle* weekend = dictionary.idMap().find("土日営業")->second;
    CaUtterance utterance;
    utterance.sourceGroup = hours;
    const ReplyContext context(utterance, "土曜日は営業しません", &dictionary, 0);
    std::vector<std::string> active;
    for (const MeanContent& item : context.getActiveItems())
        active.push_back(item.meaningInfo);
    ASSERT_EQ(active, (std::vector<std::string>{"土日営業", "否定"}));
    EXPECT_EQ(CaFeatures::contextTitles(&context, dictionary), std::vector<TopicTitle*>{weekend});
    EXPECT_TRUE(CaFeatures::contextTitles(nullptr, dictionary).empty());

    ChatSession session("key", "sample", &dictionary);
    TurnRequest& request = session.getRequest();
    request.setStatus(TurnRequest::PLAIN);
    request.sentences().insert("お願いします");
    CaFeatures::collectCandidates(dictionary, request, {}, &context, nullptr, "", MorphemeList());
    const std::vector<Candidate>& candidates = request.candidates().candidates();
    ASSERT_FALSE(candidates.empty());
    EXPECT_TRUE(std::all_of(candidates.begin(), candidates.end(),
                            [&](const Candidate& c) { return c.getRelated() == hours; }));
    // Each sentence is read as a follow-up of the weekend title and, after
    // it, on its own.
    EXPECT_TRUE(std::all_of(candidates.begin(), candidates.end(), [&](const Candidate& c) {
        return c.getContext() == weekend || c.getContext() == nullptr;
    }));
    const auto firstOnItsOwn = std::find_if(candidates.begin(), candidates.end(),
                                            [](const Candidate& c) { return c.getContext() == nullptr; });
    ASSERT_NE(firstOnItsOwn, candidates.end());
    EXPECT_TRUE(std::any_of(candidates.begin(), firstOnItsOwn,
                            [&](const Candidate& c) { return c.getContext() == weekend; }));
}

}  // namespace
}  // namespace quibo
