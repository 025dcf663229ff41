#include "dialogue/ChatService.h"

#include "analysis/LanguageAnalyzer.h"
#include "conversation/ReplyContext.h"
#include "conversation/SessionLog.h"
#include "knowledge/AnalyzedSentence.h"
#include "knowledge/TopicTitle.h"
#include "dialogue/CaFeatures.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quibo {
namespace {

const std::string RESET = "リセット";

// 駅 (shop-thing flag 1) has a title of its own, which the 0x400 handler
// answers with; 駐車場 and 営業時間 are found through the topic search.  索引
// answers in 'i' (two replies) and 'n', not in 'd'.
const char* const PASS_SOURCE = reinterpret_cast<const char*>(u8R"(
entity 駅 flags=1
entity 駐車場
entity 営業時間
table 駅表
group 0
entry 北口です。
table 駐車場表
group 0
entry 裏にあります。
table 時間表
group 0
entry 九時からです。
topic 駅 table=駅表 entities=駅
title X_A_A source=駅 x=駅 id=駅
topic 駐車場 table=駐車場表 entities=駐車場
title X_A_N source=駐車場はありますか x=駐車場 id=駐車場
table 索引表
group 9 type=1
entry 平日は九時です。
entry 土曜は十時です。
group 8 type=3
entry 次です。
topic 営業時間 table=時間表 entities=営業時間
title X_Y_N source=営業時間を教えて x=営業時間 y=教えて id=営業時間
topic 索引 table=索引表 entities=営業時間
title X_A_N source=索引 x=索引 id=索引
table 案内表
group 0 type=2
entry 駅のことですね。 | | 駅
topic 案内 table=案内表 entities=営業時間
title X_A_N source=案内 x=案内 id=案内
)");

// One service with the analyser over the install tree for the whole suite
// (the analyser is slow to start, and a service takes it down with it);
// each test talks in a conversation of its own.
class ChatServiceTurnTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tree = new test::BuildInstallTree;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        s_service = new ChatService("", 10, "", test::rcPathIn(s_tree->root()), RESET, "", 1);
        s_folder = new test::TempFolder;
        const std::unique_ptr<CDictionary> base =
            KnowledgeCompiler(KnowledgeCompiler::languageAnalyzer()).compile(PASS_SOURCE);
        std::ofstream(s_folder->path("pass.pdata"), std::ios::binary) << test::fileBytes(*base);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }
    static void TearDownTestSuite()
    {
        delete s_service;
        delete s_folder;
        delete s_tree;
    }
    void SetUp() override { ASSERT_EQ(s_service->status(), 0); }
    void TearDown() override { s_service->closeConversation(m_key); }

    void talkOver(const std::string& file)
    {
        m_file = file;
        m_key = std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ":;" + file;
        ASSERT_NE(s_service->openConversation(m_key, m_file), nullptr);
    }
    std::string ask(const std::string& utterance, bool preAnalysed = false)
    {
        return s_service->getReply(m_key, m_file, utterance, "", preAnalysed);
    }
    ChatSession& session() { return *s_service->manager().find(m_key); }
    const SessionLog& log() { return *SessionLogRegistry::get(m_key, "", "", ""); }
    TopicTitle* title(const std::string& id) { return session().getKnowledge()->idMap().find(id)->second; }
    // The answered utterance, as reply generation remembers one.
    void remember(const std::string& text)
    {
        std::string surfaces;
        session().getReplyState().addUtterance(text, LanguageAnalyzer::instance()->analyze(text, surfaces), KeyRow());
    }

    static inline test::BuildInstallTree* s_tree = nullptr;
    static inline ChatService* s_service = nullptr;
    static inline test::TempFolder* s_folder = nullptr;
    std::string m_file;
    std::string m_key;
};

// With "営業時間" remembered, a turn tries the utterance alone, after "営業時間、"
// and alone again.  The session log shows how many passes collected and
// which piece the chosen pair answered; the request keeps the last pass's
// candidates, and the chosen pair's candidate entry names the condition
// entry of that candidate, not one of an earlier pass's candidate that sat
// at the same address.
TEST_F(ChatServiceTurnTest, PassesOverTheContextPieces)
{
    talkOver(s_folder->path("pass.pdata"));
    const std::string parking = "駐車場はありますか。";
    struct Case {
        std::string utterance;
        bool preAnalysed;
        int passes;
        const char* answered;
        std::string fullText;
        std::vector<int> conditions;  // named by the candidate entries, in order
    } cases[] = {
        // 0x400 among the DCA values: the first pass may choose, and does.
        {"駅", false, 1, "", "駅", {0}},
        // Without it the first pass only collects; the context does not
        // help, the last pass chooses.
        {"駐車場はありますか", false, 3, "", "駐車場はありますか", {2}},
        // The context piece makes the question.
        {"教えて", false, 2, "営業時間、", "営業時間、教えて", {1}},
        {"教えて,教える,2,0,1,タ系連用テ形,オシエテ", true, 2, "営業時間", "営業時間教えて", {1}},
        // 100 bytes of input leave the context out.  The repeated question
        // names nothing but 駐車場, an entity of its topic, and reaches it.
        {parking + parking + parking + parking, false, 3, "", parking + parking + parking + parking, {2}},
        {parking + parking + parking + parking + parking, false, 1, "",
         parking + parking + parking + parking + parking, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utterance);
        // A reply that is no conversation act forgets the remembered
        // utterances: each case starts from "営業時間" alone.
        session().getReplyState().clearUtterances();
        remember("営業時間");
        ask(c.utterance, c.preAnalysed);
        EXPECT_EQ(log().getCondCount(-1), c.passes);
        EXPECT_EQ(log().utterances().back().result().answered_sent, c.answered);
        ASSERT_EQ(session().getRequest().candidates().size(), 1u);
        EXPECT_EQ(session().getRequest().candidates()[0].fullText(), c.fullText);
        std::vector<int> conditions;
        for (const CandEntry& entry : log().utterances().back().cands())
            conditions.push_back(entry.cond_id);
        EXPECT_EQ(conditions, c.conditions);
    }

    // A dialogue state of kind 4 turns every pass into collection only.
    ReplyRecord record;
    record.units.emplace_back();
    record.units[0].target = title("駅");
    record.units[0].groupType = 32;
    std::vector<ReplyRecord> records{record};
    ASSERT_EQ(session().getHistory().update(records, session().getReplyState(), 0), 4);
    session().getReplyState().clearUtterances();
    remember("営業時間");
    ask("駅");
    EXPECT_EQ(log().getCondCount(-1), 3 * static_cast<int>(session().getRequest().candidates().size()));
    for (const Candidate& candidate : session().getRequest().candidates().candidates())
        EXPECT_TRUE(candidate.dcaValues().empty() && candidate.flagWord() == 0);

    // In a scenario whose step leads to 駅, the question naming 駅 is tied
    // to the step without a unit (0x18), in the first pass already (駅 may
    // take 0x400): a choice without unit ends no pass, so every pass runs.
    session().getHistory().rewind(0, 0, 0);
    records[0].units[0].target = title("案内");
    records[0].units[0].groupType = 256;
    records[0].units[0].matchCode = 'd';
    ASSERT_EQ(session().getHistory().update(records, session().getReplyState(), 0), 16);
    session().getReplyState().clearUtterances();
    remember("営業時間");
    ask("駅");
    const std::vector<Candidate>& tied = session().getRequest().candidates().candidates();
    ASSERT_EQ(tied.size(), 2u);
    EXPECT_EQ(tied[1].getTopicRecord().focus, title("駅"));
    EXPECT_EQ(tied[1].flagWord(), 8);
    EXPECT_TRUE(tied[1].topicUnits().empty());
    EXPECT_EQ(log().getCondCount(-1), 3 * 2);
}

// Over a context piece, a sentence of more than ten content words keeps its
// collected state: no match code, no feature word, no DCA values.
TEST_F(ChatServiceTurnTest, LongSentencesOfAContextPassAreLeftAsCollected)
{
    talkOver(test::sampleKnowledgePath());
    auto candidateOf = [](int words) {
        std::vector<Morpheme> nouns(static_cast<std::size_t>(words),
                                    test::makeWord("パン", pos::COMMON_NOUN, Morpheme::FLAG_X));
        Candidate candidate;
        candidate.setKnowledge(std::make_shared<AnalyzedSentence>("パン", MorphemeList(nouns)));
        candidate.setMatchCode(9);
        return candidate;
    };
    for (const auto& [wordCount, analysed, judged] : {std::tuple{2, false, false}, {0, false, true}, {2, true, true}}) {
        std::vector<Candidate>& candidates = session().getRequest().candidates().candidates();
        candidates = {candidateOf(3), candidateOf(11)};
        ChatService::judgeCandidates(session(), 0, wordCount, analysed);
        ASSERT_EQ(candidates.size(), 2u);
        EXPECT_FALSE(candidates[0].dcaValues().empty());
        EXPECT_NE(candidates[0].getMatchCode(), 9);
        EXPECT_EQ(!candidates[1].dcaValues().empty(), judged) << wordCount << analysed;
        EXPECT_EQ(candidates[1].getMatchCode() != 9, judged) << wordCount << analysed;
    }
}

// A question, a follow-up that leans on what the first turn left, and the
// reset command, over the sample base.
TEST_F(ChatServiceTurnTest, ThreeScriptedTurnsOverTheSampleBase)
{
    talkOver(test::sampleKnowledgePath());
    TopicTitle* hours = title("営業時間");     // "営業時間を教えて"
    TopicTitle* weekend = title("土日営業");  // "土日"
    const CandidateList& candidates = session().getRequest().candidates();
    const ReplyState& state = session().getReplyState();

    // 1. The question finds its topic through the 0x80000 handler in the only
    // pass and is answered from the 'd' group, whose reply offers the weekend
    // hours.  The group is of type 1: it opens no dialogue state, and as no
    // conversation act it leaves no utterance to remember.  What the turn
    // leaves is the reply context: the hours title as its source, and the
    // reply's "土曜日", whose meaning rule 関連 names the weekend title.
    EXPECT_EQ(ask("営業時間を教えてください"),
              "平日の営業時間は午前７時から午後７時までです。土曜日と日曜日の営業時間もお知らせしましょうか？;表情,普通;");
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].flagWord(), 0x80000);
    ASSERT_EQ(candidates[0].topicUnits().size(), 1u);
    EXPECT_EQ(candidates[0].topicUnits()[0].getTarget(), hours);
    EXPECT_EQ(candidates[0].topicUnits()[0].matchCode(), 'd');
    EXPECT_EQ(candidates[0].getKnowledge(), nullptr);  // let go by the reply selector
    EXPECT_TRUE(session().getHistory().kindWords().empty());
    EXPECT_TRUE(state.getContextPieces().empty());
    ASSERT_NE(state.getReplyContext(), nullptr);
    EXPECT_EQ(state.getReplyContext()->getSource(), hours);
    EXPECT_EQ(CaFeatures::contextTitles(state.getReplyContext(), *session().getKnowledge()),
              std::vector<TopicTitle*>{weekend});

    // 2. "はい" names no topic; it is read as the answer to that offer.  Its
    // candidate carries the reply's source as related title and the weekend
    // title as context; the 0x200 handler lets the related title answer, an
    // affirmative in the indexed form 'i', whose first reply is the weekend
    // hours.  The indexed group opens a dialogue state (kind 2).  The same
    // words read on their own, without the offered title, make a second
    // candidate; it still has the reply's source to answer, in the same form.
    EXPECT_EQ(ask("はい"), "土日は午前８時から午後６時までです。;表情,笑顔;");
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[1].getContext(), nullptr);
    EXPECT_EQ(candidates[1].getRelated(), hours);
    ASSERT_EQ(candidates[1].topicUnits().size(), 1u);
    EXPECT_EQ(candidates[1].topicUnits()[0].getTarget(), hours);
    EXPECT_EQ(candidates[0].getRelated(), hours);
    EXPECT_EQ(candidates[0].getContext(), weekend);
    EXPECT_EQ(candidates[0].flagWord(), 0x200);
    ASSERT_EQ(candidates[0].topicUnits().size(), 1u);
    EXPECT_EQ(candidates[0].topicUnits()[0].getTarget(), hours);
    EXPECT_EQ(candidates[0].topicUnits()[0].matchCode(), 'i');
    EXPECT_EQ(session().getHistory().kindWords(), std::deque<std::int32_t>{2});

    // 3. The reset command rewinds the history and empties the reply
    // context (no source, no titles); the turn ends there, without
    // candidates or reply.
    EXPECT_EQ(ask(RESET), ";;");
    EXPECT_TRUE(candidates.empty());
    EXPECT_TRUE(session().getHistory().kindWords().empty());
    ASSERT_NE(state.getReplyContext(), nullptr);
    EXPECT_EQ(state.getReplyContext()->getSource(), nullptr);
    EXPECT_TRUE(CaFeatures::contextTitles(state.getReplyContext(), *session().getKnowledge()).empty());
    EXPECT_EQ(session().getTurnReply().getReplyText(), "");
    EXPECT_FALSE(ChatService::isResetCommand("", ""));

    // With nothing left to lean on, the same "はい" has no related title and
    // no handler gives it a unit.
    ask("はい");
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].getRelated(), nullptr);
    EXPECT_TRUE(candidates[0].topicUnits().empty());

    // Pre-analysed, the creation text is an utterance like any other: it is
    // answered, where the plain reset command is not.
    EXPECT_NE(ask(RESET + "," + RESET + ",6,1,0,,りせっと", true), "\x01\x01");
}

// Plain input counts all its pieces; pre-analysed input its first sentence
// (the plain rule is shown at work above).
TEST(ChatServiceLongInputTest, PreAnalysedInputCountsItsFirstSentence)
{
    const Morpheme fifty = test::makeWord(std::string(50, 'a'), pos::COMMON_NOUN);
    const Morpheme less = test::makeWord(std::string(49, 'a'), pos::COMMON_NOUN);
    TurnRequest request;
    request.setStatus(TurnRequest::PRE_ANALYSED);
    EXPECT_FALSE(ChatService::isLongInput(request));
    request.analysedSentences() = {test::makeList({fifty, less}), test::makeList({fifty})};
    EXPECT_FALSE(ChatService::isLongInput(request));
    request.analysedSentences()[0].words().push_back(test::makeWord("a", pos::COMMON_NOUN));
    EXPECT_TRUE(ChatService::isLongInput(request));
    request.setStatus(0);
    EXPECT_FALSE(ChatService::isLongInput(request));
}

// 'd' when the title answers in it; else 'i' while the index is inside the
// indexed group, 'n' past it; each with its group's type id.  A fetch
// rewinds the history, then enters the title's state as a reply of that
// group would: the indexed group opens one (kind 2, as no reply context
// names its replies), the 'd' group of type 1 none.
TEST_F(ChatServiceTurnTest, FetchChoosesDirectElseIndexedWhileTheIndexHoldsElseNext)
{
    talkOver(s_folder->path("pass.pdata"));
    TopicTitle* hours = title("営業時間");
    TopicTitle* indexed = title("索引");
    struct Case {
        const TopicTitle* title;
        std::int32_t index;
        std::int32_t code;
        std::int32_t typeId;
    } cases[] = {
        {hours, 5, 'd', 1}, {indexed, 1, 'i', 64}, {indexed, 2, 'n', 32}, {indexed, -1, 'i', 64}, {nullptr, 0, 7, 9},
    };
    for (const Case& c : cases) {
        std::int32_t code = 7;
        std::int32_t typeId = 9;
        ChatService::chooseFetchCode(c.title, c.index, code, typeId);
        EXPECT_EQ(code, c.code) << &c - cases;
        EXPECT_EQ(typeId, c.typeId) << &c - cases;
    }

    const DialogueHistory& history = session().getHistory();
    std::string out = "old";
    EXPECT_EQ(s_service->fetchTurn(m_key, session(), indexed, 1, out), 0);
    EXPECT_EQ(out, "土曜は十時です。");
    EXPECT_EQ(session().getTurnReply().getReplyText(), out);
    EXPECT_EQ(history.kindWords(), std::deque<std::int32_t>{2});
    ASSERT_EQ(history.partA().entries().size(), 1u);
    EXPECT_EQ(history.partA().entries()[0].target, indexed);
    EXPECT_EQ(s_service->fetchTurn(m_key, session(), hours, 0, out), 0);
    EXPECT_TRUE(history.kindWords().empty() && history.partA().entries().empty());
}

// Input that holds no word ends the turn before collection: no candidate,
// and the pre-analysed reply without fields.  (Garbled fields still make
// words, whose turn runs whole: the facade's fuzz target feeds those.)
TEST_F(ChatServiceTurnTest, MalformedPreAnalysedInputGivesNoCandidate)
{
    talkOver(test::sampleKnowledgePath());
    // (The empty utterance asks for the greeting.)
    for (const std::string form : {"/", ";;/;", "/\n", "/;\n"}) {
        EXPECT_EQ(ask(form, true), "\x01\x01") << form;
        EXPECT_TRUE(session().getRequest().candidates().empty()) << form;
    }
}

}  // namespace
}  // namespace quibo
