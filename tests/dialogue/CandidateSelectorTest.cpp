#include "dialogue/CandidateSelector.h"

#include "conversation/ChatSession.h"
#include "conversation/SessionLog.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/CDictionary.h"
#include "knowledge/KnowledgeFile.h"
#include "knowledge/Topic.h"
#include "knowledge/TopicTitle.h"
#include "dialogue/CaFeatures.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/InstalledAnalyzer.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/Words.h"
#include "tools/KnowledgeCompiler.h"

#include <gtest/gtest.h>

#include <map>

namespace quibo {
namespace {

using test::makeList;
using test::makeWord;
using Pairs = std::vector<std::pair<int, int>>;

constexpr std::int32_t ACCEPTS_D = 0x1;
const std::string FILLER = "\xA1\xDD";  // the full-width minus

Morpheme verb(const std::string& text, int attribute)
{
    Morpheme word = makeWord(text, pos::VERB);
    word.setAttributeWord(std::uint32_t{1} << (7 + attribute));
    return word;
}

Morpheme noun(const std::string& text, std::uint32_t flags = 0)
{
    return makeWord(text, pos::COMMON_NOUN, flags);
}

// An active sentence (it may hold a context) whose judgement the test sets.
class JudgedSentence : public AnalyzedSentence {
public:
    explicit JudgedSentence(const MorphemeList& words) : AnalyzedSentence(words.getText(), words) { setFlag2(true); }
    const MeanEntry& judgement() const override { return entry; }
    MeanEntry entry;
};

std::shared_ptr<JudgedSentence> sentence(const MorphemeList& words)
{
    return std::make_shared<JudgedSentence>(words);
}

TopicUnit hitUnit(TopicTitle* target, std::int32_t hitValue = 3)
{
    TopicUnit unit;
    unit.kind() = TopicUnit::KIND_HIT;
    unit.setHit(target, hitValue);
    return unit;
}

// Handlers succeed (stamping the flag word) or fail as scripted; every other
// value has no handler.
class ScriptedSelector : public CandidateSelector {
public:
    using CandidateSelector::CandidateSelector;
    std::map<std::uint64_t, std::int32_t> stamps;  // value -> flag word; 0: the handler fails
    std::vector<std::uint64_t> tried;

protected:
    int applyHandler(std::uint64_t value, Candidate& candidate, CDictionary*) override
    {
        const auto found = stamps.find(value);
        if (found == stamps.end())
            return -1;
        tried.push_back(value);
        if (found->second != 0)
            candidate.flagWord() = found->second;
        return found->second != 0;
    }
};

class CandidateSelectorTest : public testing::Test {
protected:
    void TearDown() override { SessionLogRegistry::remove(session.getKey()); }

    TopicTitle* title(const MorphemeList& words, std::int32_t replyKinds = ACCEPTS_D, const std::string& name = "")
    {
        topics.push_back(std::make_unique<Topic>());
        topics.back()->setReplyKinds(replyKinds);
        titles.push_back(std::make_unique<TopicTitle>(topics.back().get(), nullptr));
        TopicTitle* made = titles.back().get();
        made->setType(topic_title_type::X_A_N);
        made->setWords(words);
        made->setXWords(words);
        made->setSWords(words);
        made->setSourceText(name);
        return made;
    }

    Candidate& add(std::shared_ptr<AnalyzedSentence> of, std::int32_t flagWord, TopicTitle* focus = nullptr,
                   std::vector<TopicUnit> units = {})
    {
        Candidate candidate;
        candidate.setKnowledge(std::move(of));
        candidate.flagWord() = flagWord;
        TopicRecord record;
        record.focus = focus;
        candidate.setTopicRecord(record);
        candidate.topicUnits() = std::move(units);
        std::vector<Candidate>& all = session.getRequest().candidates().candidates();
        all.push_back(candidate);
        return all.back();
    }

    SessionLog& log() { return *SessionLogRegistry::get(session.getKey(), "", "", ""); }
    const std::vector<CandEntry>& logged() { return log().utterances().back().cands(); }

    static Pairs pairsOf(const SelectionList& list)
    {
        Pairs pairs;
        for (const SelectionEntry& entry : list)
            pairs.emplace_back(entry.candidate, entry.unit);
        return pairs;
    }

    const MorphemeList bread = makeList({noun("パン")});
    const MorphemeList station = makeList({noun("駅")});
    std::vector<std::unique_ptr<Topic>> topics;
    std::vector<std::unique_ptr<TopicTitle>> titles;
    ChatSession session{"candidate-selector-test", "", nullptr};
    ScriptedSelector selector{session};
};

TEST_F(CandidateSelectorTest, PriorityLimitRunsAcrossTheCandidates)
{
    const struct {
        const char* name;
        std::vector<std::vector<std::uint64_t>> lists;
        std::map<std::uint64_t, std::int32_t> stamps;
        std::vector<std::uint64_t> tried;
        std::uint32_t limit;
    } cases[] = {
        // A later candidate may still reach a better level, never a worse one.
        {"better level later", {{0x2000}, {0x18}}, {{0x2000, 0x2000}, {0x18, 8}}, {0x2000, 0x18}, 1},
        {"worse level later", {{0x18}, {0x2000}}, {{0x2000, 0x2000}, {0x18, 8}}, {0x18}, 1},
        // 0x6 and 0x100 are ranked but have no handler: the limit stays open.
        {"value without handler", {{0x6, 0x100}, {0x2000}}, {{0x2000, 0x2000}}, {0x2000}, 6},
        {"failure tries the next value", {{0x18, 0x2000}}, {{0x2000, 0x2000}, {0x18, 0}}, {0x18, 0x2000}, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedSelector scripted(session);
        scripted.stamps = c.stamps;
        std::uint32_t limit = 99;
        for (const auto& values : c.lists) {
            Candidate candidate;
            candidate.dcaValues() = values;
            scripted.judgeDca(candidate, limit, nullptr);
        }
        EXPECT_EQ(scripted.tried, c.tried);
        EXPECT_EQ(limit, c.limit);
    }
}

TEST_F(CandidateSelectorTest, EvaluationPrunesUnitsAndGivesHitLevels)
{
    TopicTitle* answers = title(bread);
    TopicTitle* silent = title(bread, 0);
    selector.stamps = {{0x18, 8}, {0x2000, 0x2000}, {0x2000000, 0x2000000}};
    auto asleep = sentence(bread);
    asleep->setFlag2(false);
    Candidate& inactive = add(asleep, 0, nullptr, {hitUnit(answers)});
    // A tie that keeps no unit is no tie: its flag word goes.
    Candidate& untied = add(sentence(bread), 0, nullptr, {hitUnit(silent)});
    untied.dcaValues() = {0x2000};
    // Flag 8 codes every unit 'd': only a target answering in 'd' keeps its
    // unit, and the flag word stays even when none does.
    Candidate& direct = add(sentence(bread), 0, nullptr, {hitUnit(answers), hitUnit(silent)});
    Candidate& unanswered = add(sentence(bread), 0, nullptr, {hitUnit(silent)});
    direct.dcaValues() = unanswered.dcaValues() = {0x18};
    Candidate& open = add(sentence(bread), 0);
    auto markedSentence = sentence(bread);
    markedSentence->setMark(true);
    Candidate& marked = add(markedSentence, 0);
    selector.evaluateCandidates(nullptr);

    EXPECT_EQ(inactive.hitLevel(), 1);
    EXPECT_TRUE(untied.topicUnits().empty());
    EXPECT_EQ(untied.flagWord(), 0);
    EXPECT_EQ(untied.hitLevel(), 3);
    EXPECT_EQ(inactive.topicUnits()[0].getStatus(), TopicUnit::NOT_JUDGED);
    ASSERT_EQ(direct.topicUnits().size(), 1u);
    EXPECT_EQ(direct.topicUnits()[0].getStatus(), 2);
    EXPECT_EQ(direct.topicUnits()[0].matchCode(), match_code::DIRECT);
    EXPECT_TRUE(unanswered.topicUnits().empty());
    EXPECT_EQ(unanswered.flagWord(), 8);
    EXPECT_EQ(unanswered.hitLevel(), 0);
    EXPECT_EQ(open.hitLevel(), 3);
    EXPECT_EQ(marked.hitLevel(), 4);

    // Hit level 2 needs more than three units left under flag 0x2000000; a
    // title marked like the sentence answers in 'd'.
    for (const std::size_t units : {3u, 4u}) {
        session.getRequest().reset();
        auto judged = sentence(bread);
        judged->entry.setPolarities(0x40, 0, 0);
        Candidate& many = add(judged, 0);
        many.dcaValues() = {0x2000000};
        for (std::size_t i = 0; i < units; ++i) {
            many.topicUnits().push_back(hitUnit(title(bread, ACCEPTS_D, "題" + std::to_string(i))));
            many.topicUnits().back().getHit().title->setPolarity1(0x40);
        }
        selector.evaluateCandidates(nullptr);
        EXPECT_EQ(many.topicUnits().size(), units);
        EXPECT_EQ(many.hitLevel(), units == 4 ? 2 : 0);
    }
}

TEST_F(CandidateSelectorTest, UncorrelatedUnitIsRejectedOnlyBesideOthers)
{
    // Row 3, column 1 of the form relations is 5: unrelated forms.
    TopicTitle* other = title(makeList({verb("食べる", 3)}));
    Candidate& candidate = add(sentence(makeList({verb("食べる", 1)})), 0, nullptr, {hitUnit(other)});
    std::set<int> attributes;
    CandidateSelector::collectAttributes(candidate, attributes);
    EXPECT_EQ(attributes, std::set<int>{1});
    CandidateSelector::judgeUnit(candidate, candidate.topicUnits()[0], attributes);
    EXPECT_EQ(candidate.topicUnits()[0].getCorrelation(), 0);
    EXPECT_EQ(candidate.topicUnits()[0].getStatus(), 1);  // the rule check: no rule feature

    candidate.topicUnits() = {hitUnit(other), hitUnit(other)};
    CandidateSelector::judgeUnit(candidate, candidate.topicUnits()[0], attributes);
    EXPECT_EQ(candidate.topicUnits()[0].getStatus(), 3);
}

// The rule check of a unit: the candidate's rule bits (0x3FC) and those the
// title's feature word gives.  A shared bit passes (0); a candidate without
// rule bits is held back (1); else a title without rule bits passes and one
// with other bits is held back.  The title's features above 0x3FFF move up
// one place: 0x10000 reads as 0x20000, which the rule of 0x4 excludes.
TEST_F(CandidateSelectorTest, RuleCheckComparesTheRuleBitsOfCandidateAndTitle)
{
    const struct {
        std::int32_t candidateRules;
        std::int32_t titleFeatures;
        std::int32_t status;
    } cases[] = {{0x8, 0x8, 0}, {0, 0x8, 1}, {0x8, 0x4, 1}, {0x8, 0, 0}, {0x8, 0x10004, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.candidateRules << " " << c.titleFeatures);
        TopicTitle* target = title(bread);
        target->setDcaBits(c.titleFeatures);
        Candidate& candidate = add(sentence(bread), 0, nullptr, {hitUnit(target)});
        candidate.ruleFeatureWord() = c.candidateRules;
        CandidateSelector::judgeUnit(candidate, candidate.topicUnits()[0], {});
        EXPECT_EQ(candidate.topicUnits()[0].getStatus(), c.status);
    }
}

TEST_F(CandidateSelectorTest, EveryListedPairIsLoggedOnce)
{
    // Nothing listed: nothing chosen, nothing logged.
    add(sentence(bread), 0);
    EXPECT_EQ(selector.selectCandidate(nullptr), SelectionEntry());
    EXPECT_TRUE(log().utterances().empty());

    session.getRequest().reset();
    // A nameless kind-1 target is logged by its hit title's name and parts.
    TopicTitle* nameless = title(bread);
    nameless->setAuxText("補足");
    TopicUnit unit = hitUnit(title(makeList({noun("店")}), ACCEPTS_D, "店舗"));
    unit.kind() = TopicUnit::KIND_ONE;
    unit.setKind1Target(nameless);
    Candidate& first = add(sentence(makeList({noun("パン"), noun("駅")})), 0x2000, nullptr, {unit});
    // A unit-less candidate without a focus title still has its entry.
    add(sentence(station), 8);
    log().addCond(5, &first, -1);

    SelectionList list = selector.buildEntries();
    selector.logEntries(list, log());
    EXPECT_EQ(list, (SelectionList{{0, 0, 1}, {1, -1, 2}}));
    ASSERT_EQ(logged().size(), 2u);
    const CandEntry& named = logged()[0];
    EXPECT_EQ(named.cand_sent, "店舗(パン;＊;ＮＵＬＬ)");
    EXPECT_EQ(named.cand_note, "補足");
    EXPECT_EQ(named.cond_id, 5);
    EXPECT_EQ(named.search_proc_no, 6);
    EXPECT_EQ(named.hit_level, 7);  // a kind-1 unit has no hit
    EXPECT_EQ(named.correls, (CorrelPairs{{"パン", "パン"}, {"駅", FILLER}}));
    const CandEntry& bare = logged()[1];
    EXPECT_EQ(bare.cand_id, 1);
    EXPECT_EQ(bare.cand_sent, "");
    EXPECT_EQ(bare.form, "");  // 'z'
    EXPECT_EQ(bare.search_proc_no, 1);
    EXPECT_EQ(bare.correls, (CorrelPairs{{"駅", FILLER}}));
}

TEST_F(CandidateSelectorTest, WordPairTextsAreReadInTheListsAsGiven)
{
    // r is joined in front of s.  Taking p out first must not cost s its
    // affix: a position names a place in the list as given.
    std::vector<Morpheme> topic = {noun("p"), noun("q"), noun("r"), noun("s")};
    for (std::size_t i = 0; i < topic.size(); ++i)
        topic[i].setO(static_cast<std::uint8_t>(i));
    topic[2].setM(Morpheme::LINK_TO_NEXT);
    EXPECT_EQ(CandidateSelector::buildWordPairs(makeList({noun("s"), noun("p"), noun("x")}), MorphemeList(topic)),
              (CorrelPairs{{"p", "p"}, {"s", "rs"}, {"x", FILLER}, {FILLER, "r"}, {FILLER, "q"}}));
}

// Each step on a list where it decides; the last list is one where none may.
TEST_F(CandidateSelectorTest, FiltersNarrowButNeverEmptyTheList)
{
    const auto flag80000000 = static_cast<std::int32_t>(0x80000000);
    const MorphemeList shop = makeList({noun("店舗")});
    test::ScopedSemanticNetwork network;
    network->relate("店舗", "店", 1, 0);
    const struct {
        const char* name;
        std::function<void()> build;
        Pairs left;
    } cases[] = {
        {"hit value 6 goes",
         [&] { add(sentence(bread), 8, nullptr, {hitUnit(title(station), 6), hitUnit(title(station))}); }, {{0, 1}}},
        {"exit reply kind goes",
         [&] {
             TopicUnit exit;
             exit.kind() = TopicUnit::KIND_THREE;
             exit.setKind3Target(title(station));
             add(sentence(bread), 8, nullptr, {exit, hitUnit(title(station))});
         },
         {{0, 1}}},
        // The exit filter passes an entry without a unit.
        {"exit goes, a unit-less entry stays",
         [&] {
             TopicUnit exit;
             exit.kind() = TopicUnit::KIND_THREE;
             exit.setKind3Target(title(station));
             add(sentence(bread), 8, nullptr, {exit});
             add(sentence(bread), 8);
         },
         {{1, -1}}},
        {"best priority level",
         [&] {
             add(sentence(bread), 0x2000, nullptr, {hitUnit(title(station))});
             add(sentence(bread), 8, nullptr, {hitUnit(title(station))});
         },
         {{1, 0}}},
        {"best topic hit value",
         [&] {
             add(sentence(bread), 8, nullptr, {hitUnit(title(station))});
             add(sentence(bread), 8, nullptr, {hitUnit(title(station))}).setHitValue(5);
         },
         {{1, 0}}},
        // The focus words are equivalent for both entries, but the
        // whole-title match decides first.
        {"full title match first",
         [&] { add(sentence(bread), 8, title(bread), {hitUnit(title(station)), hitUnit(title(bread))}); }, {{0, 1}}},
        // The first candidate's flag opens the equivalence test though its
        // own entry went with its priority.
        {"equivalent focus words",
         [&] {
             add(sentence(bread), flag80000000);
             add(sentence(bread), 8, title(station), {hitUnit(title(station))});
             add(sentence(station), 8, title(station), {hitUnit(title(bread))});
         },
         {{2, 0}}},
        // An ignorable word keeps the content words from matching the key
        // words; the required words match all the focus title's words.
        {"equivalent required words",
         [&] {
             add(sentence(bread), flag80000000);
             add(sentence(makeList({noun("パン"), noun("駅", Morpheme::FLAG_I)})), 8, title(bread),
                 {hitUnit(title(shop))});
             add(sentence(station), 8, title(bread), {hitUnit(title(shop))});
         },
         {{1, 0}}},
        {"same content words",
         [&] {
             add(sentence(makeList({noun("パン"), makeWord("と", pos::PARTICLE), noun("駅")})), 8, nullptr,
                 {hitUnit(title(bread)), hitUnit(title(makeList({noun("駅"), noun("パン")})))});
         },
         {{0, 1}}},
        // 店舗 is related to 店 in the network: not the same word, but a
        // match in the loose mode.
        {"related content words",
         [&] { add(sentence(makeList({noun("店")})), 8, nullptr, {hitUnit(title(station)), hitUnit(title(shop))}); },
         {{0, 1}}},
        // Shared focus and sentence features keep the candidate alone.
        {"shared feature",
         [&] {
             auto featured = sentence(bread);
             featured->entry.setCodeBits(0x400000);
             TopicTitle* focus = title(station);
             focus->setDcaBits(0x400000);
             add(featured, flag80000000, focus, {hitUnit(title(station))});
             add(sentence(bread), flag80000000, title(station), {hitUnit(title(station))});
         },
         {{0, -1}}},
        // Every hit value 6, every topic hit value above 7, a first
        // candidate without the flag, no word match.
        {"nothing decides",
         [&] {
             add(sentence(bread), 0);
             for (int i = 0; i < 2; ++i)
                 add(sentence(bread), 8, title(bread), {hitUnit(title(station), 6)}).setHitValue(8);
         },
         {{1, 0}, {2, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session.getRequest().reset();
        c.build();
        EXPECT_EQ(pairsOf(selector.runFilters(log())), c.left);
    }
}

TEST_F(CandidateSelectorTest, UnitStepsPreferTheCloserTopic)
{
    const MorphemeList input = makeList({verb("食べる", 1), verb("行く", 1)});
    TopicTitle* unrelated = title(makeList({verb("食べる", 1), verb("行く", 3)}));   // correlation 0
    TopicTitle* none = title(makeList({verb("走る", 1)}));                          // 1
    TopicTitle* otherForm = title(makeList({verb("食べる", 1), verb("行く", 2)}));  // 2, pairs differ
    TopicTitle* extra = title(makeList({verb("食べる", 1), verb("行く", 1), verb("走る", 1)}));  // 2, one over
    TopicTitle* same = title(input);                                                 // 2, all alike
    struct Unit {
        TopicTitle* target;
        std::int32_t score;
        std::int32_t status;
    };
    const struct {
        const char* name;
        Unit a;
        Unit b;
        Pairs left;
    } cases[] = {
        {"unit score", {same, 5, 1}, {same, 3, 1}, {{0, 1}}},
        {"correlation 0 goes", {unrelated, 3, 1}, {none, 3, 1}, {{0, 1}}},
        {"strong correlation", {none, 3, 1}, {otherForm, 3, 1}, {{0, 1}}},
        {"predicate pairs alike", {otherForm, 3, 1}, {extra, 3, 1}, {{0, 1}}},
        {"every predicate alike", {extra, 3, 1}, {same, 3, 1}, {{0, 1}}},
        {"smallest status", {same, 3, 1}, {same, 3, 0}, {{0, 1}}},
        {"nothing decides", {same, 3, 1}, {same, 3, 1}, {{0, 0}, {0, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session.getRequest().reset();
        Candidate& candidate = add(sentence(input), 0);
        for (const Unit& u : {c.a, c.b}) {
            candidate.topicUnits().push_back(hitUnit(u.target));
            candidate.topicUnits().back().evaluate(input, false);
            candidate.topicUnits().back().setStatus(u.status);
            candidate.topicUnits().back().score() = u.score;
        }
        SelectionList list = {{0, 0, 0}, {0, 1, 0}};
        selector.narrowByUnits(list);
        EXPECT_EQ(pairsOf(list), c.left);
    }
}

TEST_F(CandidateSelectorTest, CoveredTitlesAndBestPick)
{
    const Morpheme optional = noun("たち", Morpheme::FLAG_I);
    auto input = sentence(bread);
    input->setList2(makeList({noun("パン"), noun("を"), optional}));
    add(input, 0, nullptr,
        {hitUnit(title(makeList({noun("パン"), noun("屋")}))), hitUnit(title(makeList({noun("パン"), optional}))),
         hitUnit(title(makeList({noun("駅"), noun("ら", Morpheme::FLAG_N)}))), hitUnit(title(bread)),
         hitUnit(title(makeList({noun("パン"), noun("店")})))});

    // Units 0 and 1 cover their flagged words; 1 covers more.  Unit 2
    // alone covers nothing and stays.
    SelectionList list = {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}};
    selector.filterCoveredTitles(list);
    EXPECT_EQ(pairsOf(list), (Pairs{{0, 1}}));
    list = {{0, 2, 0}};
    selector.filterCoveredTitles(list);
    EXPECT_EQ(pairsOf(list), (Pairs{{0, 2}}));

    // More matching words win; among equals fewer title words, then the
    // earlier entry; an entry without a unit never wins.
    EXPECT_EQ(selector.pickBest({{0, 2, 0}, {0, 1, 0}}), (SelectionEntry{0, 1, 0}));
    EXPECT_EQ(selector.pickBest({{0, -1, 0}, {0, 0, 0}, {0, 3, 0}}), (SelectionEntry{0, 3, 0}));
    EXPECT_EQ(selector.pickBest({{0, 4, 0}, {0, 0, 0}}), (SelectionEntry{0, 4, 0}));
    EXPECT_EQ(selector.pickBest({{0, -1, 0}, {0, -1, 0}}), SelectionEntry());
    EXPECT_EQ(selector.pickBest({{0, 0, 0}}), SelectionEntry());
}

TEST_F(CandidateSelectorTest, UnitlessEntriesChooseByFocusTitle)
{
    const MorphemeList eat = makeList({verb("食べる", 1)});
    TopicTitle* focus = title(eat);
    const struct {
        const char* name;
        std::function<void()> build;
        SelectionEntry chosen;
    } cases[] = {
        // The same title twice: the later entry goes.
        {"same focus title",
         [&] {
             add(sentence(eat), 8, focus);
             add(sentence(eat), 8, focus);
         },
         {0, -1, 1}},
        // Both titles tie on every word count; the first one's form is
        // unrelated to the sentence's (topic level 3), the second one's the
        // same (level 0).
        {"lower topic level",
         [&] {
             add(sentence(eat), 8, title(makeList({verb("食べる", 3)})));
             add(sentence(eat), 8, title(eat));
         },
         {1, -1, 2}},
        // The entry the shared feature keeps has lost its unit and its log
        // number on the way: the unit-less branch judges and chooses it
        // alone.
        {"shared feature",
         [&] {
             auto featured = sentence(bread);
             featured->entry.setCodeBits(0x400000);
             TopicTitle* featuredFocus = title(station);
             featuredFocus->setDcaBits(0x400000);
             add(featured, static_cast<std::int32_t>(0x80000000), featuredFocus, {hitUnit(title(station))});
             add(sentence(bread), static_cast<std::int32_t>(0x80000000), title(station), {hitUnit(title(station))});
         },
         {0, -1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionLogRegistry::remove(session.getKey());
        session.getRequest().reset();
        c.build();
        EXPECT_EQ(selector.selectCandidate(nullptr), c.chosen);
        EXPECT_EQ(session.getRequest().manyCandidates(), 0);
        // The second candidate was judged when it was listed, even where
        // its entry was erased; in the shared-feature row it was not listed.
        EXPECT_EQ(session.getRequest().candidates()[1].topicLevel() < 4, c.chosen.logEntry != 0);
    }

    // Different titles at the same level: no choice.  The second candidate
    // has no predicate, so its comparison finds no pair to log; the third
    // one's own unit is not touched.
    SessionLogRegistry::remove(session.getKey());
    session.getRequest().reset();
    add(sentence(eat), 8, focus);
    add(sentence(bread), 8, title(bread));
    Candidate& withUnit = add(sentence(eat), 8, title(eat), {hitUnit(focus)});
    EXPECT_EQ(selector.selectCandidate(nullptr), SelectionEntry());
    EXPECT_EQ(session.getRequest().manyCandidates(), 1);
    EXPECT_FALSE(withUnit.topicUnits()[0].isEvaluated());
    ASSERT_EQ(logged().size(), 3u);
    EXPECT_EQ(logged()[0].word_pairs.size(), 1u);
    EXPECT_TRUE(logged()[1].word_pairs.empty());
}

// Each stage compares its own pair of word lists; a tie in the shared count
// goes to the entries whose focus side has the fewest words.
TEST_F(CandidateSelectorTest, TieBreakKeepsTheMostSharedWordsThenTheFewestFocusWords)
{
    const Morpheme optionalStation = noun("駅", Morpheme::FLAG_I);
    const MorphemeList breadAndStation = makeList({noun("パン"), optionalStation});
    const MorphemeList three = makeList({noun("パン"), noun("駅"), noun("店")});
    const MorphemeList otherThree = makeList({noun("パン"), noun("線"), noun("店")});
    const MorphemeList two = makeList({noun("パン"), noun("線")});
    const struct {
        const char* name;
        int stage;
        MorphemeList words;  // both candidates' sentence
        MorphemeList list2;  // and its second list
        MorphemeList focusA;
        MorphemeList focusB;
        Pairs left;
    } cases[] = {
        // Stage 0 reads the required words only: パン alone is shared with
        // either title; of the tied pair the shorter title wins.
        {"required words, fewest focus words", 0, breadAndStation, {}, three, two, {{1, -1}}},
        {"required words, no decision", 0, breadAndStation, {}, three, otherThree, {{0, -1}, {1, -1}}},
        // Stage 1 counts the optional 駅 as well.
        {"content words", 1, breadAndStation, {}, three, otherThree, {{0, -1}}},
        // Stage 2 reads the second word list against the title words.
        {"second list", 2, bread, makeList({noun("パン"), noun("線")}), three, otherThree, {{1, -1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session.getRequest().reset();
        for (const MorphemeList* focus : {&c.focusA, &c.focusB}) {
            auto words = sentence(c.words);
            words->setList2(c.list2);
            add(words, 8, title(*focus));
        }
        SelectionList list = {{0, -1, 0}, {1, -1, 0}};
        selector.breakTieByWords(list, c.stage);
        EXPECT_EQ(pairsOf(list), c.left);
    }
}

// The chosen unit that leads to the exit answers as a hit of its title,
// directly, when that title answers in 'd'.
TEST_F(CandidateSelectorTest, TheChosenExitUnitAnswersAsItsHit)
{
    const std::unique_ptr<CDictionary> base =
        KnowledgeCompiler(test::oneNounAnalysis).compile(reinterpret_cast<const char*>(u8"entity 発話出口 flags=4\n"));
    TopicTitle exitTitle(nullptr, base->findEntity("発話出口", false));
    TopicUnit exitUnit = hitUnit(title(bread));
    exitUnit.kind() = TopicUnit::KIND_THREE;
    exitUnit.setKind3Target(&exitTitle);
    Candidate& candidate = add(sentence(bread), 8, nullptr, {exitUnit});
    EXPECT_EQ(selector.selectCandidate(base.get()), (SelectionEntry{0, 0, 1}));
    EXPECT_EQ(candidate.topicUnits()[0].kind(), TopicUnit::KIND_HIT);
    EXPECT_EQ(candidate.topicUnits()[0].matchCode(), match_code::DIRECT);
}

// A tie of units none of which has a title to weigh leaves the first entry.
TEST_F(CandidateSelectorTest, UnitsWithoutTitlesLeaveTheFirstEntry)
{
    for (int k = 0; k < 2; ++k) {
        Candidate& candidate = add(sentence(bread), 8, nullptr, {TopicUnit()});
        candidate.topicUnits()[0].evaluate(bread, false);
    }
    const SelectionEntry chosen = selector.selectCandidate(nullptr);
    EXPECT_EQ(chosen.candidate, 0);
    EXPECT_EQ(chosen.unit, 0);
}

// Entries that name no candidate, or no unit of theirs, are answered by the
// per-unit defaults: no step reads through them or changes a candidate for
// them, and none of them wins over the entry that is in range.
TEST_F(CandidateSelectorTest, OutOfRangeEntriesChangeNothing)
{
    Candidate& only = add(sentence(bread), 8, title(bread), {hitUnit(title(bread))});
    TopicUnit& unit = only.topicUnits()[0];
    unit.evaluate(bread, false);
    unit.score() = 3;
    unit.setStatus(1);
    const SelectionList bad = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -2, 0}, {INT32_MAX, INT32_MIN, 0}};
    SelectionList mixed = bad;
    mixed.insert(mixed.begin() + 2, {0, 0, 0});

    using Step = std::function<SelectionList(const SelectionList&)>;
    auto member = [this](SelectionList (CandidateSelector::*step)(const SelectionList&) const) -> Step {
        return [this, step](const SelectionList& list) { return (selector.*step)(list); };
    };
    const Step steps[] = {
        member(&CandidateSelector::filterHitValue),      member(&CandidateSelector::filterReplyKind),
        member(&CandidateSelector::filterPriority),      member(&CandidateSelector::filterTopicHitValue),
        member(&CandidateSelector::filterTitleMatch),    member(&CandidateSelector::filterEquivalentWords),
        [this](const SelectionList& l) { return selector.filterWordMatch(l, true); },
        [this](const SelectionList& l) { return selector.filterWordMatch(l, false); },
        member(&CandidateSelector::filterSharedFeature), member(&CandidateSelector::filterUnitScore),
        member(&CandidateSelector::dropUncorrelated),    member(&CandidateSelector::keepStrongCorrelation),
        member(&CandidateSelector::keepYougenPairSame),  member(&CandidateSelector::keepKatsuyoukeiSame),
        member(&CandidateSelector::filterUnitStatus),
    };
    // Each step reads the entries of missing candidates through checked
    // look-ups only (the sanitizers watch); beside an entry in range none of
    // them passes.
    for (std::size_t k = 0; k < std::size(steps); ++k) {
        steps[k](bad);
        const SelectionList kept = steps[k](mixed);
        EXPECT_TRUE(std::all_of(kept.begin(), kept.end(), [](const SelectionEntry& e) { return e.candidate == 0; }))
            << k;
    }
    // A ranking by candidate keeps the candidate's entries, one by unit its
    // unit's; a missing one ranks last.
    const SelectionList ofTheCandidate = {{0, 0, 0}, {0, 1, 0}, {0, -2, 0}};
    EXPECT_EQ(selector.filterPriority(mixed), ofTheCandidate);
    EXPECT_EQ(selector.filterTopicHitValue(mixed), ofTheCandidate);
    EXPECT_EQ(selector.filterUnitScore(mixed), (SelectionList{{0, 0, 0}}));
    EXPECT_EQ(selector.filterUnitStatus(mixed), (SelectionList{{0, 0, 0}}));

    SelectionList list = mixed;
    selector.narrowByUnits(list);
    EXPECT_EQ(list, (SelectionList{{0, 0, 0}}));
    list = bad;
    selector.filterCoveredTitles(list);
    EXPECT_EQ(list, bad);
    // The tie break reads the candidate alone, whatever the unit index; an
    // entry without a candidate has no focus side to win a tie with.
    for (int stage = 0; stage <= 2; ++stage) {
        list = mixed;
        selector.breakTieByWords(list, stage);
        EXPECT_EQ(list, ofTheCandidate) << stage;
    }
    EXPECT_EQ(selector.pickBest(bad), SelectionEntry());
    EXPECT_EQ(selector.pickBest(mixed), (SelectionEntry{0, 0, 0}));

    ASSERT_EQ(session.getRequest().candidates().size(), 1u);
    ASSERT_EQ(only.topicUnits().size(), 1u);
    EXPECT_EQ(unit.score(), 3);
    EXPECT_EQ(unit.getStatus(), 1);
    EXPECT_EQ(unit.matchCode(), match_code::NONE);
    EXPECT_EQ(only.flagWord(), 8);
    EXPECT_EQ(only.topicLevel(), 4);
}

// First questions over the sample base, collected and judged as a plain turn
// without remembered context does it.
class SampleCandidateSelectorTest : public test::InstalledAnalyzerTest {
protected:
    std::string topicOf(const TopicTitle* title) const
    {
        for (const auto& [name, topic] : dictionary.topics())
            if (title && topic == title->getOwner())
                return name;
        return "";
    }

    CDictionary dictionary;
};

TEST_F(SampleCandidateSelectorTest, FirstQuestionsChooseTheirTopic)
{
    ASSERT_EQ(loadKnowledgeFile(dictionary, test::sampleKnowledgePath()), 0);
    CaFeatures::initExpressionBits();
    const struct {
        const char* utterance;
        const char* topic;
    } cases[] = {
        {"営業時間を教えてください", "営業時間"},
        {"駐車場はありますか", "駐車場"},
        {"お休みはいつですか", "定休日"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utterance);
        ChatSession session(c.utterance, "sample", &dictionary);
        TurnRequest& request = session.getRequest();
        request.setStatus(TurnRequest::PLAIN);
        request.sentences().insert(c.utterance);
        SessionLog* log = SessionLogRegistry::get(session.getKey(), "", "", "");
        log->addUtterance(c.utterance);
        CaFeatures::collectCandidates(dictionary, request, {}, nullptr, log, "", MorphemeList());
        for (Candidate& candidate : request.candidates().candidates()) {
            MorphemeList scratch;
            candidate.setMatchCode(CaFeatures::matchCode(candidate.getWordList(), candidate.getContext(), scratch));
            CaFeatures::applyRuleFilter(
                CaFeatures::computeFeatureBits(candidate, 0, session.getReplyState(), dictionary), candidate.dcaValues());
        }

        CandidateSelector selector(session);
        const SelectionEntry chosen = selector.evaluateCandidates(&dictionary);
        ASSERT_GE(chosen.candidate, 0);
        ASSERT_GE(chosen.unit, 0);
        EXPECT_EQ(topicOf(request.candidates()[chosen.candidate].getUnitTarget(chosen.unit)), c.topic);
        EXPECT_EQ(log->getCandCount(-1), static_cast<int>(selector.buildEntries().size()));
        EXPECT_EQ(log->getCandId(chosen.logEntry - 1, -1), chosen.logEntry - 1);
        SessionLogRegistry::remove(session.getKey());
    }
}

}  // namespace
}  // namespace quibo
