#include "dialogue/ChatService.h"

#include "dialogue/SessionLog.h"
#include "knowledge/TopicTitle.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quibo {
namespace {

const std::string RESET = "リセット";

// One service with the analyser over the install tree for the whole suite
// (the analyser is slow to start, and a service takes it down with it);
// each test talks in a conversation of its own over the sample base.
class ChatServiceTurnTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tree = new test::BuildInstallTree;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        s_service = new ChatService("", 10, "", test::rcPathIn(s_tree->root()), RESET, "", 1);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }
    static void TearDownTestSuite()
    {
        delete s_service;
        delete s_tree;
    }
    void SetUp() override
    {
        ASSERT_EQ(s_service->status(), 0);
        ASSERT_NE(s_service->openConversation(m_key, test::sampleKnowledgePath()), nullptr);
    }
    void TearDown() override { s_service->closeConversation(m_key); }

    std::string ask(const std::string& utterance, bool preAnalysed = false)
    {
        return s_service->getReply(m_key, test::sampleKnowledgePath(), utterance, "", preAnalysed);
    }
    ChatSession& session() { return *s_service->manager().find(m_key); }
    TopicTitle* title(const std::string& id) { return session().getKnowledge()->idMap().find(id)->second; }

    static inline test::BuildInstallTree* s_tree = nullptr;
    static inline ChatService* s_service = nullptr;
    const std::string m_key =
        std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ":;" + test::sampleKnowledgePath();
};

TEST_F(ChatServiceTurnTest, OnlyTheCreationTextOfPlainInputResetsTheDialogue)
{
    EXPECT_FALSE(ChatService::isResetCommand("", ""));
    EXPECT_FALSE(ChatService::isResetCommand(RESET, RESET + "。"));

    // A state for 住所 in the history, a last reply naming id 1, a remembered
    // utterance and a used id.
    ReplyRecord record;
    ReplyUnit unit;
    unit.target = title("住所");
    unit.groupType = 128;
    record.units.push_back(unit);
    std::vector<ReplyRecord> records{record};
    session().getHistory().update(records, session().getReplyState(), 0);
    session().getReplyState().addUtterance("住所は？", MorphemeList(), KeyRow());
    session().getReplyState().addId(5);
    CaUtterance last;
    last.expressionIds = {1};
    session().getReplyState().setCurrentReply(last, "", session().getKnowledge());
    ASSERT_EQ(session().getHistory().kindWords().size(), 1u);

    // Pre-analysed, the same text is an utterance like any other.
    ask(RESET + "," + RESET + ",6,1,0,,りせっと", true);
    EXPECT_EQ(session().getHistory().kindWords().size(), 1u);
    EXPECT_EQ(session().getReplyState().recentSentences().size(), 1u);

    EXPECT_EQ(ask(RESET), ";;");
    EXPECT_TRUE(session().getHistory().kindWords().empty());
    EXPECT_TRUE(session().getHistory().partA().entries().empty());
    EXPECT_TRUE(session().getReplyState().recentSentences().empty());
    EXPECT_TRUE(session().getReplyState().usedIds().empty());
    ASSERT_NE(session().getReplyState().getReplyContext(), nullptr);  // built from the empty utterance
    EXPECT_TRUE(session().getReplyState().getReplyContext()->getIdList().empty());
    EXPECT_EQ(session().getTurnReply().getReplyText(), "");
    EXPECT_TRUE(session().getRequest().candidates().empty());
}

TEST(ChatServiceLongInputTest, HundredBytesOfTheUtteranceOrOfItsFirstSentence)
{
    const std::string fifty(50, 'a');
    struct Case {
        std::int32_t status;
        std::vector<std::string> texts;  // plain pieces, or surfaces of sentence 1 ("/" starts sentence 2)
        bool longInput;
    } cases[] = {
        {TurnRequest::PLAIN, {fifty, fifty.substr(1)}, false},
        {TurnRequest::PLAIN, {fifty, "b" + fifty.substr(1)}, true},
        {TurnRequest::PRE_ANALYSED, {fifty, fifty.substr(1), "/", fifty}, false},
        {TurnRequest::PRE_ANALYSED, {fifty, fifty}, true},
        {TurnRequest::PRE_ANALYSED, {}, false},
        {0, {fifty, fifty}, false},
    };
    for (const Case& c : cases) {
        TurnRequest request;
        request.setStatus(c.status);
        std::vector<MorphemeList> sentences(1);
        for (const std::string& text : c.texts) {
            if (text == "/") {
                sentences.emplace_back();
                continue;
            }
            request.sentences().insert(text);
            Morpheme word;
            word.setSurface(text);
            sentences.back().words().push_back(word);
        }
        if (!c.texts.empty())
            request.analysedSentences() = sentences;
        EXPECT_EQ(ChatService::isLongInput(request), c.longInput) << &c - cases;
    }
}

const char* const FETCH_SOURCE = reinterpret_cast<const char*>(u8R"(
entity 時間 flags=1
table 全部表
group 0
entry 九時からです。
group 9 type=1
entry 平日は九時です。
entry 土曜は十時です。
table 索引表
group 9 type=1
entry 平日は九時です。
entry 土曜は十時です。
group 8 type=3
entry 次です。
topic 全部 table=全部表 entities=時間
title X_A_N source=全部 x=全部 id=全部
topic 索引 table=索引表 entities=時間
title X_A_N source=索引 x=索引 id=索引
)");

// 'd' when the title answers in it; else 'i' while the index is inside the
// indexed group, 'n' past it; each with its group's type id.
TEST(ChatServiceFetchCodeTest, DirectElseIndexedWhileTheIndexHoldsElseNext)
{
    const std::unique_ptr<CDictionary> knowledge = KnowledgeCompiler(test::oneNounAnalysis).compile(FETCH_SOURCE);
    const TopicTitle* all = knowledge->idMap().find("全部")->second;
    const TopicTitle* indexed = knowledge->idMap().find("索引")->second;
    struct Case {
        const TopicTitle* title;
        std::int32_t index;
        std::int32_t code;
        std::int32_t typeId;
    } cases[] = {
        {all, 5, 'd', 1}, {indexed, 0, 'i', 64}, {indexed, 1, 'i', 64}, {indexed, 2, 'n', 32},
        {indexed, -1, 'i', 64}, {nullptr, 0, 7, 9},
    };
    for (const Case& c : cases) {
        std::int32_t code = 7;
        std::int32_t typeId = 9;
        ChatService::chooseFetchCode(c.title, c.index, code, typeId);
        EXPECT_EQ(code, c.code) << &c - cases;
        EXPECT_EQ(typeId, c.typeId) << &c - cases;
    }
}

// A fetch rewinds the history, then enters the title's state as a reply of
// the chosen group would: the indexed group of 索引 opens one (kind 2, as no
// reply context names its replies), the plain 'd' group of 全部 none.
TEST_F(ChatServiceTurnTest, FetchRewindsTheHistoryAndEntersTheTitlesGroup)
{
    const std::unique_ptr<CDictionary> knowledge = KnowledgeCompiler(test::oneNounAnalysis).compile(FETCH_SOURCE);
    TopicTitle* all = knowledge->idMap().find("全部")->second;
    TopicTitle* indexed = knowledge->idMap().find("索引")->second;
    ChatSession fetching("fetch", "", knowledge.get());
    DialogueHistory& history = fetching.getHistory();
    std::string out = "old";

    EXPECT_EQ(s_service->fetchTurn("fetch", fetching, indexed, 1, out), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(history.kindWords(), std::deque<std::int32_t>{2});
    ASSERT_EQ(history.partA().entries().size(), 1u);
    EXPECT_EQ(history.partA().entries()[0].target, indexed);
    EXPECT_EQ(history.partA().entries()[0].replies.size(), 2u);

    EXPECT_EQ(s_service->fetchTurn("fetch", fetching, all, 0, out), 0);
    EXPECT_TRUE(history.kindWords().empty());
    EXPECT_TRUE(history.partA().entries().empty());
}

// Input that holds no word ends the turn before collection: no candidate,
// and the pre-analysed reply without fields.  Garbled fields still make
// words; their turn runs whole and keeps the reply's form.
TEST_F(ChatServiceTurnTest, MalformedPreAnalysedInputGivesNoCandidate)
{
    // (The empty utterance asks for the greeting.)
    for (const std::string form : {"/", ";;/;", "/\n", "/;\n"}) {
        EXPECT_EQ(ask(form, true), "\x01\x01") << form;
        EXPECT_TRUE(session().getRequest().candidates().empty()) << form;
    }
    for (const std::string form : {",,,,,,", "パン,,99,-3,77,未知の形,", "x,y,z,w,v,u,t,s/;/", "\xA4", "\xFF\xFE,\x8E"}) {
        const std::string reply = ask(form, true);
        EXPECT_GE(std::count(reply.begin(), reply.end(), '\x01'), 2) << form;
    }
}

}  // namespace
}  // namespace quibo
