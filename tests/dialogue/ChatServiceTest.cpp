#include "dialogue/ChatService.h"

#include "analysis/LanguageAnalyzer.h"
#include "conversation/SessionLog.h"
#include "knowledge/CDictionary.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"
#include "tools/KnowledgeCompiler.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace quibo {
namespace {

const std::string SAMPLE_GREETING = "こんにちは、こむぎ堂です。営業時間やパンの値段など、お気軽にどうぞ。;表情,笑顔;";

class ChatServiceTest : public ::testing::Test {
protected:
    ChatServiceTest() : m_clockScope(m_clock), m_randomScope(m_random)
    {
        m_clock.setWallMillis(1700000000LL * 1000);
        testing::internal::CaptureStderr();
        service = std::make_unique<ChatService>("", 10, "", "/nowhere/juman/x", "", "", 0);
        testing::internal::GetCapturedStderr();
        folder.write("small.pdata", test::fileBytes(*test::compileSmall()));
    }

    std::string reply(const std::string& key, const std::string& utterance, bool preAnalysed = false)
    {
        return service->getReply(key, splitName(key), utterance, "127.0.0.1", preAnalysed);
    }
    static std::string splitName(const std::string& key) { return key.substr(key.find(':') + 1); }

    platform::FakeClock m_clock;
    platform::ScopedClock m_clockScope;
    platform::FakeRandom m_random{{1}};
    platform::ScopedRandom m_randomScope;
    test::TemporaryInstallTree folder;
    std::unique_ptr<ChatService> service;
    const std::string sampleKey = "s:;" + test::sampleKnowledgePath();
    const std::string smallKey = "t:;" + folder.path("small.pdata");
    const std::string missingKey = "m:;" + folder.path("missing.pdata");
};

TEST_F(ChatServiceTest, ReplyStringsOfUtterancesAndGreetings)
{
    EXPECT_EQ(reply(sampleKey, ""), SAMPLE_GREETING);
    EXPECT_EQ(reply(sampleKey, "\n"), SAMPLE_GREETING);
    // Without the analyser a plain utterance has no words: the sample base's
    // act for words of no class answers it.  CR LF is no greeting request.
    const std::string noWords = "ごゆっくりどうぞ。ご質問があれば、いつでもお気軽にお尋ねください。;表情,普通;";
    EXPECT_EQ(reply(sampleKey, "\r\n"), noWords);
    EXPECT_EQ(reply(sampleKey, "パンはありますか"), noWords);
    // A pre-analysed word of no topic, which no semantic network (none is
    // loaded) relates to anything: the act for an unknown word, the
    // sentence, the extension text.
    EXPECT_EQ(reply(sampleKey, "猫,猫,6,1,0,,ねこ", true),
              "すみません、知らない言葉がありました。別の言い方で聞いていただけますか？\x01猫\x01表情,困り顔");
    EXPECT_EQ(reply(smallKey, ""), ";;");  // its ＣＡ発話 has no greeting title
    std::string out;
    EXPECT_EQ(service->getGreeting(smallKey, out), 1);
    // A greeting title whose group holds no greeting picks none (and never
    // divides by the group's size).
    folder.write("silent.pdata", test::fileBytes(*KnowledgeCompiler(test::oneNounAnalysis).compile(
                                     reinterpret_cast<const char*>(u8"entity ＣＡ発話 flags=4\n"
                                                                   "table 呼びかけ表\ngroup 9\nentry 次です。\n"
                                                                   "topic 呼びかけ table=呼びかけ表 entities=ＣＡ発話\n"
                                                                   "title 0x29 source=ＣＡ発話 x=ＣＡ発話 y=呼びかけ\n"))));
    const std::string silentKey = "q:;" + folder.path("silent.pdata");
    EXPECT_EQ(reply(silentKey, ""), ";;");
    EXPECT_EQ(service->getGreeting(silentKey, out), 1);

    EXPECT_EQ(reply(missingKey, "パン"), std::string(ChatService::BUSY_ERROR) + ";;");
    EXPECT_EQ(reply(missingKey, "パン", true), "\x1F\x1F\x1F\x1F\x1E\x1F");
    EXPECT_FALSE(service->isOpen(missingKey, splitName(missingKey)));
}

TEST_F(ChatServiceTest, AnsweredTurnsComposeTheReplyTextAndEntryNames)
{
    ChatSession* session = service->openConversation(sampleKey, splitName(sampleKey));
    ASSERT_NE(session, nullptr);
    ReplyEntry entry;
    entry.addNames("表情=笑顔;地図=x", *session->getKnowledge());
    const std::string analysed = "今日,今日,6,1,0,,きょう;は,は,9,1,0,,は/パン,パン,6,1,0,,パン";
    for (bool preAnalysed : {false, true}) {
        service->runUtterance(sampleKey, "", preAnalysed ? analysed : "パン", preAnalysed);
        session->getRequest().candidates().candidates().emplace_back();
        session->getTurnReply().setReplyText("あります");
        session->getTurnReply().setReplyEntry(entry);
        EXPECT_EQ(service->composeReply(sampleKey),
                  preAnalysed ? "あります\x01\x01表情=笑顔,地図=x" : "あります;表情=笑顔,地図=x;");
    }
    // The sentence text is the one the reply context names.
    CaUtterance answered;
    answered.recordNumber = 1;
    session->getReplyState().setCurrentReply(answered, "あります", session->getKnowledge());
    EXPECT_EQ(service->composeReply(sampleKey), "あります\x01パン\x01表情=笑顔,地図=x");
    // The next utterance starts without candidates; the entry stays.
    service->runUtterance(sampleKey, "", "パン", false);
    EXPECT_TRUE(session->getRequest().candidates().empty());
    EXPECT_EQ(session->getTurnReply().previousReplyText(), "あります");
    EXPECT_EQ(session->getTurnReply().getExtensionText(), "表情=笑顔,地図=x");
}

TEST_F(ChatServiceTest, GreetingErrorsTellAFullManagerFromAFailedStart)
{
    std::string out;
    EXPECT_EQ(service->getGreeting("unopened", out), 0);
    EXPECT_EQ(out, std::string(ChatService::INIT_GREETING_ERROR) + ";;");
    for (int i = 0; i < 10; ++i) {
        const std::string name = std::to_string(i) + ".pdata";
        folder.write(name, test::fileBytes(*test::compileSmall()));
        ASSERT_TRUE(service->isOpen("k" + std::to_string(i), ";" + folder.path(name)));
    }
    EXPECT_EQ(service->getGreeting("unopened", out), 0);
    EXPECT_EQ(out, std::string(ChatService::FULL_GREETING_ERROR) + ";;");
}

TEST_F(ChatServiceTest, UtterancesAreStoredAsTheirModeReadsThem)
{
    ASSERT_TRUE(service->runUtterance(sampleKey, splitName(sampleKey), "b;a;b", false));
    TurnRequest& request = service->manager().find(sampleKey)->getRequest();
    EXPECT_EQ(request.status(), TurnRequest::PLAIN);
    EXPECT_EQ(request.sentences(), (std::set<std::string>{"a", "b"}));

    ASSERT_TRUE(service->runUtterance(sampleKey, "", "今日,今日,6,1,0,,きょう;は,は,9,1,0,,は/雨,雨,6,1,0,,あめ", true));
    EXPECT_EQ(request.status(), TurnRequest::PRE_ANALYSED);
    EXPECT_TRUE(request.sentences().empty());
    EXPECT_EQ(request.sentenceSurface(0), "今日は");
    EXPECT_EQ(request.sentenceSurface(1), "雨");
    EXPECT_EQ(request.sentenceSurface(2), "");
    EXPECT_EQ(request.sentenceSurface(-1), "");
}

TEST_F(ChatServiceTest, EveryUtteranceIsLoggedUnderItsKey)
{
    reply(sampleKey, "パン");
    reply(missingKey, "パン");
    const SessionLog* log = SessionLogRegistry::get(sampleKey, "", "", "");
    ASSERT_EQ(log->utterances().size(), 1u);
    EXPECT_EQ(log->utterances()[0].inSent(), "パン");
    EXPECT_EQ(log->ipAddr(), "127.0.0.1");
    EXPECT_EQ(SessionLogRegistry::get(missingKey, "", "", "")->utterances().size(), 1u);
    service->closeConversation(sampleKey);
    EXPECT_EQ(SessionLogRegistry::instance().count(sampleKey), 0u);
    EXPECT_EQ(service->manager().find(sampleKey), nullptr);
}

TEST_F(ChatServiceTest, StartAndFetchChangeNothingForWhatTheyCannotFind)
{
    std::int32_t first = 9, second = 9;
    std::vector<std::int32_t> list = {9};
    service->start(missingKey, splitName(missingKey), "営業案内", first, second, list);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(list.empty());
    std::string out = "old";
    EXPECT_EQ(service->fetch(missingKey, splitName(missingKey), 1, 0, out), 0);
    EXPECT_EQ(out, "");

    // A fetch of a title the start handed out answers its reply; then a
    // dialogue state is open on the title.
    service->start(sampleKey, splitName(sampleKey), "営業案内", first, second, list);
    ASSERT_EQ(list.size(), 1u);
    ASSERT_EQ(service->fetch(sampleKey, splitName(sampleKey), list[0], 0, out), 0);
    EXPECT_FALSE(out.empty());
    ChatSession& session = *service->manager().find(sampleKey);
    ReplyRecord record;
    record.units.emplace_back();
    record.units[0].target = session.startTitle(list[0]);
    record.units[0].groupType = 128;
    std::vector<ReplyRecord> records{record};
    ASSERT_EQ(session.getHistory().update(records, session.getReplyState(), 0), 2);
    const std::deque<std::int32_t> kinds = session.getHistory().kindWords();
    const std::string replyText = session.getTurnReply().getReplyText();
    // A handle it never handed out names nothing: no empty utterance runs,
    // the history and the reply stay.
    for (std::int32_t handle : {0, list[0] + 1, -1}) {
        SCOPED_TRACE(handle);
        out = "old";
        EXPECT_EQ(service->fetch(sampleKey, splitName(sampleKey), handle, 0, out), 0);
        EXPECT_EQ(out, "");
        EXPECT_EQ(session.getHistory().kindWords(), kinds);
        EXPECT_EQ(session.getTurnReply().getReplyText(), replyText);
    }
}

TEST_F(ChatServiceTest, EachServiceSeedsTheSequenceAndSetsUpTheAnalyserAgain)
{
    // The fixture's service found no dictionary beside its resource path.
    EXPECT_EQ(service->status(), LanguageAnalyzer::INIT_NO_DICTIONARY);
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
    m_clock.advance(5000);
    service.reset();
    test::BuildInstallTree tree;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    service = std::make_unique<ChatService>("", 10, "", test::rcPathIn(tree.root()), "", "", 1);
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(service->status(), 0);
    EXPECT_TRUE(LanguageAnalyzer::isInitialized());
    reply(sampleKey, "");
    EXPECT_EQ(m_random.seeds(), (std::vector<unsigned>{1700000000u, 1700000005u}));
    service.reset();
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
}

}  // namespace
}  // namespace quibo
