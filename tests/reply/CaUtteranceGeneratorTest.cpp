#include "reply/CaUtteranceGenerator.h"

#include "conversation/ChatSession.h"
#include "conversation/SessionLog.h"
#include "knowledge/Entity.h"
#include "knowledge/TopicTitle.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "knowledge/KnowledgeFile.h"
#include "tests/support/InMemorySemanticNetwork.h"
#include "tests/support/InstalledAnalyzer.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

namespace quibo {
namespace {

// Utterance groups of every path, each text one word (its own surface).
const char* const GROUPS = reinterpret_cast<const char*>(u8R"(
entity ＣＡ発話 flags=4
entity 回答不能 flags=4
entity 聞き返し flags=4
table 回答表
group 0
entry 分かりませんでした。 | 表情=困り顔
table 聞き返し表
group 0
entry どちらのことですか？
table 反射表
group 0
entry 反射です。
table 確認表
group 0
entry 確認です。
table 未知語表
group 0
entry 未知語です。
table 逆表
group 0
entry 逆です。
table 誤表
group 0
entry 誤りです。
table 案内表
group 0
entry 今日は&[月]月です。 | 表情=笑顔
group 9 type=1
entry 平日です。
entry 土日です。
table 頁表
group 9 type=1
entry 一
entry 二
entry 三
group 8 type=3
entry 四
entry 五
table 順路表
group 9 type=2
entry 歩一 | | 案内
entry 歩二 | | 案内
entry 歩三 | | 案内
entry 歩四 | | 案内
topic 回答不能 table=回答表 entities=回答不能
title X_A_A source=回答不能 x=回答不能
topic 聞き返し table=聞き返し表 entities=聞き返し
title 0x29 source=聞き返し x=聞き返し y=択一
topic 反射 table=反射表 entities=ＣＡ発話
title S_O_A source=ＣＡ発話 x=ＣＡ発話 y=自立語 a=反射ＣＡ
topic 確認 table=確認表 entities=ＣＡ発話
title S_O_A source=ＣＡ発話 x=ＣＡ発話 y=自立語 a=確認ＣＡ
topic 未知語 table=未知語表 entities=ＣＡ発話
title S_O_A source=ＣＡ発話 x=ＣＡ発話 y=未知語 a=反射ＣＡ
topic 逆 table=逆表 entities=ＣＡ発話
title S_O_A source=ＣＡ発話 x=ＣＡ発話 y=Ｎ辞書階層 a=逆
topic 誤 table=誤表 entities=ＣＡ発話
title S_O_A source=ＣＡ発話 x=ＣＡ発話 y=Ｎ辞書階層 a=誤
topic 案内 table=案内表 entities=回答不能
title X_A_N source=案内 x=案内 id=案内
topic 頁 table=頁表 entities=回答不能
title X_A_N source=頁 x=頁 id=頁
topic 順路 table=順路表 entities=回答不能
title X_A_N source=順路 x=順路 id=順路
)");

class CaUtteranceGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::testing::internal::CaptureStdout();
        knowledge = KnowledgeCompiler(test::oneNounAnalysis).compile(GROUPS);
        ::testing::internal::GetCapturedStdout();
        session = std::make_unique<ChatSession>("key", "groups", knowledge.get());
        log = SessionLogRegistry::get("key", "", "", "");
        log->addUtterance("質問");
    }
    void TearDown() override { SessionLogRegistry::destroy(); }

    TopicTitle* title(const std::string& id) const { return knowledge->idMap().find(id)->second; }
    // A record of the visitor's text, its word class and, when given, one
    // input item naming the group.
    ReplyRecord record(std::int32_t wordClass, TopicTitle* group = nullptr, std::int32_t form = 'd') const
    {
        ReplyRecord r;
        r.text = "質問";
        r.hitLevel = wordClass;
        if (group) {
            ReplyUnit unit;
            unit.kind = 1;
            unit.target = group;
            unit.matchCode = form;
            unit.groupType = group->getReplyGroup(form, 1).getTypeId();
            r.units.push_back(unit);
        }
        return r;
    }
    std::string generate(std::vector<ReplyRecord> records, bool expand = true)
    {
        return CaUtteranceGenerator(*session).generate(std::move(records), session->getHistory(),
                                                       session->getReplyState(), expand);
    }

    std::unique_ptr<CDictionary> knowledge;
    std::unique_ptr<ChatSession> session;
    SessionLog* log = nullptr;
    platform::FakeRandom draws{{1}};
    platform::ScopedRandom scopedDraws{draws};
};

TEST_F(CaUtteranceGeneratorTest, NoRecordSaysNothingAndRemembersNothing)
{
    EXPECT_EQ(generate({}), "");
    EXPECT_EQ(session->getReplyState().getReplyContext(), nullptr);
    EXPECT_EQ(log->getAnsSent(-1), "");
}

TEST_F(CaUtteranceGeneratorTest, PathIsChosenByWordClassAndReplyKind)
{
    struct Case {
        const char* name;
        std::vector<std::int32_t> classes;
        std::uint64_t replyKind;
        std::vector<std::int32_t> ids;
        const char* reply;
        std::int32_t kindAfter;
        std::uint8_t manyCandidates = 0;
    };
    const Case cases[] = {
        {"several records, one unclassified: ask back", {3, 0}, 0, {}, "どちらのことですか？", 0},
        // The record is made from the first candidate, which need not be one
        // of the tied ones.
        {"several equally good candidates: ask back", {3}, 0, {}, "どちらのことですか？", 0, 1},
        // Without a context naming them, the indexed replies open a state
        // of kind 2; the first is taken.
        {"kind 0x20: the state's first reply", {0}, 0x20, {}, "平日です。", 2},
        {"kind 0x04: the state closed, the group's 'd' reply", {0}, 0x04, {}, "今日は&[月]月です。", 0},
        {"content word, reflex act", {3}, 0, {}, "反射です。", 0},
        {"content word, confirming act", {3}, 0, {1}, "確認です。", 0},
        {"unknown word", {1}, 0, {}, "未知語です。", 0},
        {"no group for the class: the content-word group", {2}, 0, {}, "反射です。", 0},
        {"class 5: no answer possible", {5}, 0, {}, "分かりませんでした。", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session = std::make_unique<ChatSession>("key", "groups", knowledge.get());
        std::vector<ReplyRecord> records;
        for (std::int32_t wordClass : c.classes) {
            records.push_back(record(wordClass, wordClass == 0 ? title("案内") : nullptr, 'i'));
            records.back().replyKind = c.replyKind;
            records.back().ids = c.ids;
            records.back().manyCandidates = c.manyCandidates;
            records.back().logCandidateId = 4;
        }
        session->getHistory().update(records, session->getReplyState(), 0);
        EXPECT_EQ(generate(records, false), c.reply);
        EXPECT_EQ(session->getHistory().currentKind(), c.kindAfter);
        // Whatever the path, the log names the candidate the reply answers.
        EXPECT_EQ(log->utterances().back().result().sel_cand_id, 4);
    }
}

TEST_F(CaUtteranceGeneratorTest, TemplatesAreFilledOnlyWhenAsked)
{
    std::vector<ReplyRecord> records{record(0, title("案内"))};
    EXPECT_EQ(generate(records, false), "今日は&[月]月です。");
    const std::string filled = generate(records, true);
    EXPECT_EQ(filled.find("&["), std::string::npos);
    EXPECT_EQ(log->getAnsSent(-1), filled);
    EXPECT_EQ(log->getExtText(-1), "表情=笑顔");
    EXPECT_EQ(log->utterances().back().result().srv, "案内表_0");
    EXPECT_TRUE(log->utterances().back().result().hit);
}

TEST_F(CaUtteranceGeneratorTest, KnowledgeCheckFollowsTheNetworkPath)
{
    test::ScopedSemanticNetwork network;
    network->addSense("犬", test::sense("動物"));
    network->addSense("動物", test::sense("犬"));
    ReplyRecord checked = record(3);
    checked.ids = {67};
    checked.words = test::makeList({test::makeWord("犬", pos::COMMON_NOUN, Morpheme::FLAG_X),
                                    test::makeWord("動物", pos::COMMON_NOUN, Morpheme::FLAG_Y)});
    EXPECT_EQ(generate({checked}, false), "誤りです。");
    network->relate("犬", "動物", 1, -1);
    EXPECT_EQ(generate({checked}, false), "逆です。");
    EXPECT_EQ(session->getReplyState().getReplyContext()->getSource(), knowledge->findEntity("ＣＡ発話", false)
                                                                            ->findTopicTitle("ＣＡ発話", "Ｎ辞書階層", "逆"));
}

// A remark answers a scenario's step and the next step follows; after the
// last step the scenario is over: the remark is answered as any other, and
// the last step is never said again.
TEST_F(CaUtteranceGeneratorTest, ReflexRepeatTakesTheNextScenarioStep)
{
    const std::tuple<std::int32_t, const char*, std::int32_t, std::int32_t> cases[] = {
        {2, "歩四", 16, 16},
        {3, "反射です。", 0, 0},
    };
    for (const auto& [step, reply, mark, kindAfter] : cases) {
        session = std::make_unique<ChatSession>("key", "groups", knowledge.get());
        std::vector<ReplyRecord> scenario{record(0, title("順路"), 'i')};
        session->getHistory().update(scenario, session->getReplyState(), step);
        ASSERT_EQ(session->getHistory().currentKind(), 16);
        ReplyRecord reflex = record(3);
        const CaUtterance next = CaUtteranceGenerator(*session).buildCaUtterance(reflex, session->getHistory(),
                                                                                  session->getReplyState(), "");
        EXPECT_EQ(*next.utterance.label(), reply) << step;
        EXPECT_EQ(next.mark, mark) << step;
        EXPECT_EQ(session->getHistory().currentKind(), kindAfter) << step;
    }
}

// A reply the history gives is the entry of the open state that the
// record's key names (its low bits when a state's marker is set, else the
// first), filled as the state's own: its group, the form of the item (a
// scenario's: the form it was opened with), item type 2 (the context then
// counts the candidate among its ids) and the log's number of the candidate.
TEST_F(CaUtteranceGeneratorTest, HistoryRepliesAreTheStoredEntryTheKeyNames)
{
    const std::pair<std::int32_t, const char*> keys[] = {
        {0x10000001, "土日です。"}, {1, "平日です。"}, {0x11000000, "分かりませんでした。"}};
    for (const auto& [key, reply] : keys) {
        session = std::make_unique<ChatSession>("key", "groups", knowledge.get());
        std::vector<ReplyRecord> opened{record(0, title("案内"), 'i')};
        session->getHistory().update(opened, session->getReplyState(), 0);
        ASSERT_EQ(session->getHistory().currentKind(), 2);
        ReplyRecord asked = record(0, title("案内"), 'i');
        asked.topicId = key;
        asked.number = 3;
        asked.logCandidateId = 7;
        EXPECT_EQ(generate({asked}, false), reply) << std::hex << key;
    }
    session = std::make_unique<ChatSession>("key", "groups", knowledge.get());
    std::vector<ReplyRecord> opened{record(0, title("案内"), 'i')};
    session->getHistory().update(opened, session->getReplyState(), 0);
    ReplyRecord asked = record(0, title("案内"), 'i');
    asked.logCandidateId = 7;
    asked.number = 3;
    EXPECT_EQ(generate({asked}, false), "平日です。");
    const ReplyContext* context = session->getReplyState().getReplyContext();
    EXPECT_EQ(context->getSource(), title("案内"));
    EXPECT_EQ(context->getMatchCode(), 'i');
    EXPECT_EQ(session->getReplyState().usedIds(), std::vector<std::int32_t>{7});
    EXPECT_EQ(log->utterances().back().result().sel_cand_id, 7);
    EXPECT_EQ(log->utterances().back().result().sent_form, "肯定");

    session = std::make_unique<ChatSession>("key", "groups", knowledge.get());
    std::vector<ReplyRecord> scenario{record(0, title("順路"), 'i')};
    session->getHistory().update(scenario, session->getReplyState(), 1);
    ReplyRecord step = record(0, title("順路"), 'i');
    const CaUtterance stored =
        CaUtteranceGenerator(*session).composeWithHistory(step, session->getHistory(), session->getReplyState());
    EXPECT_EQ(*stored.utterance.label(), "歩二");
    EXPECT_EQ(stored.sentenceForm, 'i');
}

// A reply from another state than the last reply's marks the record: 4 when
// the last reply's group (for the form it was said in) is a large one, of
// type 32 or more, and the state is an indexed one (kinds 1, 2); else 8.
TEST_F(CaUtteranceGeneratorTest, LeavingTheLastRepliesStateMarksTheRecordByItsGroup)
{
    struct Case {
        const char* state;
        std::int32_t stateForm;
        const char* last;
        std::int32_t lastForm;
        std::uint32_t mark;
    };
    const Case cases[] = {
        {"案内", 'i', "頁", 'n', 4},      // a group of type 32, an indexed state
        {"案内", 'i', "頁", 'd', 8},      // no group of that form
        {"案内", 'i', nullptr, 0, 8},     // no last reply
        {"頁", 'n', "案内", 'i', 8},      // a state of kind 4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state + std::string(" after ") + (c.last ? c.last : "nothing"));
        session = std::make_unique<ChatSession>("key", "groups", knowledge.get());
        std::vector<ReplyRecord> opened{record(0, title(c.state), c.stateForm)};
        session->getHistory().update(opened, session->getReplyState(), 0);
        if (c.last) {
            CaUtterance last;
            last.sourceGroup = title(c.last);
            last.sentenceForm = c.lastForm;
            session->getReplyState().setCurrentReply(last, "", knowledge.get());
        }
        ReplyRecord asked = record(0);
        asked.replyKind = 0x1;
        const CaUtterance stored =
            CaUtteranceGenerator(*session).composeWithHistory(asked, session->getHistory(), session->getReplyState());
        EXPECT_EQ(stored.sourceGroup, title(c.state));
        EXPECT_EQ(asked.markWord, c.mark);
    }
}

TEST_F(CaUtteranceGeneratorTest, EmptyGroupPicksNothing)
{
    TopicTitle bare(nullptr, nullptr);
    const ReplyRecord empty = record(0, &bare);
    EXPECT_TRUE(CaUtteranceGenerator(*session)
                    .pickRandom(empty, session->getHistory(), session->getReplyState())
                    .visitorText.empty());
}

TEST_F(CaUtteranceGeneratorTest, FetchPagesThroughIndexedThenNextReplies)
{
    const ReplyRecord pages = record(0, title("頁"), 'i');
    CaUtteranceGenerator generator(*session);
    EXPECT_EQ(generator.fetchUtterance(pages, session->getReplyState(), 0), "一");
    EXPECT_EQ(generator.fetchUtterance(pages, session->getReplyState(), 4), "五");
    EXPECT_EQ(session->getReplyState().choices().at({title("頁"), 'n'}), 4);
    EXPECT_EQ(generator.fetchUtterance(pages, session->getReplyState(), 5), "");
    EXPECT_EQ(generator.fetchUtterance(record(0), session->getReplyState(), 0), "");
    EXPECT_EQ(session->getReplyState().getReplyContext()->getReplyEntry().text(), "頁表_1");

    // A fetched text reaches the page as a reply does: its variables filled.
    test::ScopedTimeZone zone("JST-9");
    platform::FakeClock clock;
    clock.setWallMillis(1709602200000);  // 2024-03-05 10:30 JST
    platform::ScopedClock scopedClock(clock);
    EXPECT_EQ(generator.fetchUtterance(record(0, title("案内")), session->getReplyState(), 0), "今日は3月です。");
}

// Over the sample base and the installed analyser: a visitor who repeats the
// engine's last reply is answered by the parrot group.
class SampleCaUtteranceTest : public test::InstalledAnalyzerTest {};

// The group depends on what the last reply was and on the visitor's
// expression ids: after the desk's explanation (id 140) the later of 67 or
// 140 (怒), 94 (喜) and 95 or 96 (哀) wins; after a question (67) an echo
// asking to be told (140) is thanked.
TEST_F(SampleCaUtteranceTest, RepeatingTheLastReplyIsAnsweredByTheParrot)
{
    CDictionary knowledge;
    ASSERT_EQ(loadKnowledgeFile(knowledge, test::sampleKnowledgePath()), 0);
    const std::string explained = "定休日は毎週水曜日となっております";
    struct Case {
        const char* lastReply;
        std::vector<std::int32_t> ids;
        const char* reply;
    };
    const Case cases[] = {
        {"定休日は毎週水曜日です", {}, "はい、おっしゃる通りです。"},
        {explained.c_str(), {67}, "はい、お伝えした通りです。ご不便をおかけして申し訳ありません。"},
        {explained.c_str(), {94}, "はい、その通りです。ご来店をお待ちしています。"},
        {explained.c_str(), {94, 95}, "申し訳ありません、お伝えした通りです。ほかにご不明な点はありますか？"},
        {explained.c_str(), {95, 94}, "はい、その通りです。ご来店をお待ちしています。"},
        {"定休日は毎週水曜日ですか", {140}, "こちらこそ、ありがとうございます。"},
    };
    for (const Case& c : cases) {
        ChatSession session("parrot", "sample", &knowledge);
        session.getReplyState().setCurrentReply(CaUtterance(), c.lastReply, &knowledge);
        ReplyRecord echo;
        echo.text = "定休日は毎週水曜日です";
        echo.ids = c.ids;
        std::string surfaces;
        MeanEntry judgement;
        echo.words = analyzer().analyze(echo.text, surfaces, &judgement);
        EXPECT_EQ(CaUtteranceGenerator(session).generate({echo}, session.getHistory(), session.getReplyState(), false),
                  c.reply)
            << c.lastReply << " " << c.ids.size();
    }
    SessionLogRegistry::destroy();
}

}  // namespace
}  // namespace quibo
