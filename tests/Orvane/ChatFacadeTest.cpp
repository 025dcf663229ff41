// The engine's C facade as the control drives it, over the install tree and
// its sample knowledge base.  These tests run the facade's objects in their
// own process, so that they can fix the random sequence; the last one loads
// liborvane.so itself.
#include "Orvane/ChatFacade.h"

#include "analysis/CodeConverter.h"
#include "analysis/LanguageAnalyzer.h"
#include "conversation/SessionLog.h"
#include "dialogue/ChatService.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>

#include <string>
#include <vector>

namespace quibo {
namespace {

// The three greetings of the sample base, in their group's order.
const char* const GREETINGS[] = {
    "いらっしゃいませ、こむぎ堂の案内係です。パンのことなら何でも聞いてください。;表情,笑顔;",
    "こんにちは、こむぎ堂です。営業時間やパンの値段など、お気軽にどうぞ。;表情,笑顔;",
    "ようこそ。営業時間、場所、パンの値段などをご案内できます。;表情,普通;",
};

std::string sjis(const std::string& euc)
{
    std::string out;
    return CodeConverter().convertText(out, euc, CodeConverter::SJIS);
}

std::string busyReply() { return sjis(std::string(ChatService::BUSY_ERROR) + ";;"); }

class ChatFacadeTest : public ::testing::Test {
protected:
    ChatFacadeTest() : m_scope(m_random) {}
    ~ChatFacadeTest() override
    {
        // Every test closes what it opened; a service left over would carry
        // into the next test.
        EXPECT_TRUE(m_random.seeds().size() == m_services) << "services built";
    }

    // Opens with the analyser of the install tree: 0, or -1 when the
    // conversation cannot be opened.
    int open(const std::string& key, const std::string& file, const std::string& creationText = "")
    {
        return chatOpen(key.c_str(), file.c_str(), test::rcPathIn(m_tree.root()).c_str(), creationText.c_str(),
                        "10.0.0.1", 1);
    }
    void openWithAnalyser()
    {
        EXPECT_EQ(open(m_key, m_sample), 0);
        m_services = 1;
    }
    std::string ask(const std::string& key, const std::string& utterance, int preAnalysed = 0)
    {
        std::string out = "old";
        chatAsk(key.c_str(), sjis(utterance).c_str(), out, preAnalysed);
        return out;
    }

    test::BuildInstallTree m_tree;
    const std::string m_sample = test::sampleKnowledgePath();
    const std::string m_key = "0112233444:;" + m_sample;
    platform::FakeRandom m_random{{2}};
    platform::ScopedRandom m_scope;
    std::size_t m_services = 0;
};

TEST_F(ChatFacadeTest, SplitKnowledgeName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0112233444:;C:\\cache\\kb.pdata", ";C:\\cache\\kb.pdata"},
        {"0112233444:;/tmp/kb.pdata", ";/tmp/kb.pdata"},
        {"id:;sample", ";sample"},
        {"id:sample", "sample"},
        {"id:", ""},
        {"no colon", ""},
        {"", ""},
    };
    for (const auto& [key, name] : cases)
        EXPECT_EQ(splitKnowledgeName(key), name) << key;
    EXPECT_EQ(splitKnowledgeName(nullptr), "");
}

// What the control does: open, greeting, a conversation, close.  The
// conversation reaches an answer, a follow-up that only the answer's offer
// makes a question about the weekend, a subject the desk declines, an
// ambiguous choice it asks back about, and a reply whose date comes from the
// clock.
TEST_F(ChatFacadeTest, AConversationOverTheInstallTree)
{
    test::ScopedTimeZone zone("JST-9");
    platform::FakeClock clock;
    clock.setWallMillis(1709602200000);  // 2024-03-05 10:30 JST, a Tuesday
    platform::ScopedClock scopedClock(clock);
    openWithAnalyser();
    EXPECT_TRUE(LanguageAnalyzer::isInitialized());
    EXPECT_EQ(SessionLogRegistry::get(m_key, "", "", "")->ipAddr(), "10.0.0.1");

    std::string greeting;
    EXPECT_EQ(chatGreeting(m_key.c_str(), greeting), 0);
    EXPECT_EQ(greeting, sjis(GREETINGS[2]));  // the sequence gives 2
    EXPECT_EQ(greeting.find('\x1F'), std::string::npos);

    const std::pair<const char*, const char*> turns[] = {
        {"営業時間を教えてください",
         "平日の営業時間は午前７時から午後７時までです。土曜日と日曜日の営業時間もお知らせしましょうか？;表情,普通;"},
        {"週末は？", "土日は午前８時から午後６時までです。;表情,普通;"},
        {"明日の天気はどうですか",
         "申し訳ありません、そのご質問にはお答えできません。営業時間や場所、パンのことならご案内できます。;表情,困り顔;"},
        {"パンを予約したい", "ご予約ですね。食パンとクロワッサンのどちらをご予約ですか？;表情,笑顔;"},
        {"パンです",
         "いくつか当てはまるものがあります。お手数ですが、お品物の名前をひとつ教えていただけますか？;表情,困り顔;"},
        {"食パンです", "食パンですね。お受け取りの日にちとお時間を教えてください。;表情,笑顔,予約,食パン;"},
        {"今日は何日ですか", "今日は3月5日、火曜日です。;表情,普通;"},
    };
    for (const auto& [question, reply] : turns)
        EXPECT_EQ(ask(m_key, question), sjis(reply)) << question;
    // The control reads the last reply and its extension values back.
    EXPECT_EQ(chatReplyText(m_key.c_str(), -1), sjis("今日は3月5日、火曜日です。"));
    EXPECT_EQ(chatExtensionInfo(m_key.c_str(), -1), sjis("表情,普通"));
    EXPECT_EQ(SessionLogRegistry::get(m_key, "", "", "")->utterances().back().inSent(), "今日は何日ですか");

    // Asked first, the same words are no question about the weekend.
    const std::string fresh = "fresh:;" + m_sample;
    chatOpen(fresh.c_str(), m_sample.c_str(), "", "", "", 1);
    EXPECT_NE(ask(fresh, "週末は？"), sjis("土日は午前８時から午後６時までです。;表情,普通;"));
    EXPECT_EQ(chatClose(fresh.c_str()), 1);

    EXPECT_EQ(chatClose(m_key.c_str()), 1);
    EXPECT_FALSE(LanguageAnalyzer::isInitialized());
    EXPECT_TRUE(SessionLogRegistry::instance().empty());
}

// A reservation asked for again starts over, whether the last one was just
// confirmed, another question came between, or it was left half way; a
// booking is confirmed only after its bread, day and name.  Each step says
// back what the visitor has just said, and a bread named half way takes the
// reservation over.
TEST_F(ChatFacadeTest, AReservationAskedForAgainStartsOverAndTheBreadNamedLastIsBooked)
{
    openWithAnalyser();
    const char* const question = "ご予約ですね。食パンとクロワッサンのどちらをご予約ですか？;表情,笑顔;";
    const char* const remark = "そうなんですね。こむぎ堂について、ほかに知りたいことはありますか？;表情,普通;";
    const std::pair<const char*, const char*> turns[] = {
        {"パンを予約したい", question},
        {"食パンです", "食パンですね。お受け取りの日にちとお時間を教えてください。;表情,笑顔,予約,食パン;"},
        {"明日の朝です",
         "お受け取りは「明日の朝です」とのこと、承知しました。最後に、お名前をお願いします。;表情,普通,予約,食パン;"},
        {"山田です",
         "承りました。お名前は「山田です」と伺いました。食パンを、先ほど復唱した日時にお取り置きします。"
         "当日は店頭でお名前をお伝えください。;表情,笑顔,予約,食パン;"},
        {"パンを予約したい", question},
        {"営業時間を教えてください",
         "平日の営業時間は午前７時から午後７時までです。土曜日と日曜日の営業時間もお知らせしましょうか？;表情,普通;"},
        {"パンを予約したい", question},
        {"クロワッサンでお願いします",
         "クロワッサンですね。お受け取りの日にちとお時間を教えてください。;表情,笑顔,予約,クロワッサン;"},
        {"食パンでお願いします", "食パンですね。お受け取りの日にちとお時間を教えてください。;表情,笑顔,予約,食パン;"},
        {"あさっての昼です",
         "お受け取りは「あさっての昼です」とのこと、承知しました。最後に、お名前をお願いします。;表情,普通,予約,食パン;"},
        {"クロワッサンでお願いします",
         "クロワッサンですね。お受け取りの日にちとお時間を教えてください。;表情,笑顔,予約,クロワッサン;"},
        // The other bread asked for with words around it: a filler, a
        // comma, a wish; a change of mind worded like no title.  A question
        // about the other bread is answered, and books nothing.
        {"えっと、食パンでお願いしたいです",
         "食パンですね。お受け取りの日にちとお時間を教えてください。;表情,笑顔,予約,食パン;"},
        {"うーん、やっぱりクロワッサンにしておきます",
         "クロワッサンですね。お受け取りの日にちとお時間を教えてください。;表情,笑顔,予約,クロワッサン;"},
        {"食パンの値段は？", "食パンは毎朝焼いています。１斤３２０円です。;表情,普通;"},
        {"予約したい", question},
        // A remark is no choice of bread, and then no name: nothing is
        // booked.
        {"猫を飼っています", remark},
        {"山田です", remark},
    };
    for (const auto& [utterance, reply] : turns)
        EXPECT_EQ(ask(m_key, utterance), sjis(reply)) << utterance;
    EXPECT_EQ(chatClose(m_key.c_str()), 1);
}

// A host may end without closing its conversation: the service, the
// analyser and its dictionary mapping are then torn down by the exit alone.
TEST_F(ChatFacadeTest, AHostThatExitsWithoutClosingEndsCleanly)
{
    EXPECT_EXIT(
        {
            open(m_key, m_sample);
            std::exit(LanguageAnalyzer::isInitialized() ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ChatFacadeTest, TheServiceLivesFromTheFirstOpenToTheLastClose)
{
    const std::string other = "second:;" + m_sample;
    EXPECT_EQ(open(m_key, m_sample), 0);
    EXPECT_EQ(open(other, m_sample), 0);
    m_services = 1;
    EXPECT_EQ(chatClose(m_key.c_str()), 1);
    // The service is still there: asking reopens the closed key's conversation.
    EXPECT_EQ(ask(m_key, ""), sjis(GREETINGS[2]));
    EXPECT_EQ(chatClose(other.c_str()), 1);
    EXPECT_EQ(ask(m_key, ""), busyReply());

    // A close without an open does not hold the next service alive.
    EXPECT_EQ(chatClose(m_key.c_str()), 1);
    EXPECT_EQ(open(m_key, m_sample), 0);
    m_services = 2;
    EXPECT_EQ(chatClose(m_key.c_str()), 1);
    EXPECT_EQ(ask(m_key, ""), busyReply());
}

// The service keeps the first open's creation text, in EUC-JP, as the reset
// command of every conversation; a later open's text is no command.
TEST_F(ChatFacadeTest, TheFirstOpensCreationTextIsTheResetCommand)
{
    const std::string other = "second:;" + m_sample;
    EXPECT_EQ(open(m_key, m_sample, sjis("リセット")), 0);
    EXPECT_EQ(open(other, m_sample, sjis("やり直し")), 0);
    m_services = 1;
    // Only the reset answers with empty fields.
    for (const std::string& key : {m_key, other}) {
        EXPECT_EQ(ask(key, "リセット"), ";;") << key;
        const std::string answered = ask(key, "やり直し");
        EXPECT_GT(answered.find(';'), 0u) << key;
        EXPECT_NE(answered.find(';'), std::string::npos) << key;
    }
    EXPECT_EQ(chatClose(m_key.c_str()), 1);
    EXPECT_EQ(chatClose(other.c_str()), 1);
}

TEST_F(ChatFacadeTest, WithoutAServiceNothingCrashes)
{
    std::string out = "old";
    EXPECT_EQ(chatGreeting(m_key.c_str(), out), 0);
    EXPECT_EQ(out, sjis(std::string(ChatService::INIT_GREETING_ERROR) + ";;"));
    EXPECT_EQ(ask(m_key, "パン"), busyReply());
    int first = 5, second = 5;
    std::vector<int> list = {1};
    EXPECT_EQ(chatStart(m_key.c_str(), "営業案内", first, second, list), 0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(list.empty());
    out = "old";
    EXPECT_EQ(chatFetch(m_key.c_str(), 1, 0, out), -1);
    EXPECT_EQ(out, "old");
    SessionLogRegistry::destroy();
}

TEST_F(ChatFacadeTest, StartHandsOutHandlesAndFetchNeedsOne)
{
    openWithAnalyser();
    int first = 0, second = 0;
    std::vector<int> list;
    EXPECT_EQ(chatStart(m_key.c_str(), sjis("営業案内").c_str(), first, second, list), 0);
    EXPECT_EQ(list, std::vector<int>{1});
    EXPECT_EQ(chatStart(m_key.c_str(), "", first, second, list), 0);
    EXPECT_EQ(first, 0);

    std::string out = "old";
    EXPECT_EQ(chatFetch(m_key.c_str(), 0, 0, out), -1);
    EXPECT_EQ(out, "old");
    EXPECT_EQ(chatFetch(m_key.c_str(), 1, 0, out), 0);
    EXPECT_EQ(chatClose(m_key.c_str()), 1);
}

// An open that fails says so, and why: what failed and which file.  The
// conversation is not there; asking still answers busy.
TEST_F(ChatFacadeTest, KnowledgeThatDoesNotLoadFailsTheOpenWithItsReason)
{
    test::TempFolder folder{"quibo-facade"};
    const std::string sample = test::readFile(m_sample);
    folder.write("empty.pdata", "");
    folder.write("truncated.pdata", sample.substr(0, sample.size() - 1));
    folder.write("hostile.pdata", sample.substr(0, 20) + std::string(100, '\x7F'));
    const std::pair<const char*, const char*> cases[] = {
        {"missing.pdata", " cannot be read"},
        {"empty.pdata", " is empty"},
        {"truncated.pdata", " is damaged or is not a knowledge file: "},
        {"hostile.pdata", " is damaged or is not a knowledge file: "},
    };
    for (const auto& [name, reason] : cases) {
        const std::string key = "id:;" + folder.path(name);
        EXPECT_EQ(open(key, folder.path(name)), -1) << name;
        EXPECT_EQ(chatOpenFailure().rfind("the knowledge file " + folder.path(name) + reason, 0), 0u)
            << chatOpenFailure();
        ++m_services;
        EXPECT_EQ(SessionLogRegistry::instance().count(key), 0u) << name;
        testing::internal::CaptureStderr();
        EXPECT_EQ(ask(key, "パン"), busyReply()) << name;
        EXPECT_EQ(ask(key, "", 1), std::string(ChatService::PRE_ANALYSED_FAILURE)) << name;
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(chatClose(key.c_str()), 1);
    }
}

// The deliverable itself: its entry points, its globals built on first use.
TEST(ChatFacadeLibraryTest, LibraryAnswersThroughItsEntryPoints)
{
    void* library = dlopen(QUIBO_ORVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto open = reinterpret_cast<decltype(&chatOpen)>(dlsym(library, "chatOpen"));
    auto greet = reinterpret_cast<decltype(&chatGreeting)>(dlsym(library, "chatGreeting"));
    auto askIt = reinterpret_cast<decltype(&chatAsk)>(dlsym(library, "chatAsk"));
    auto close = reinterpret_cast<decltype(&chatClose)>(dlsym(library, "chatClose"));
    for (const char* name : {"chatStart", "chatFetch", "chatReplyText", "chatExtensionInfo", "splitKnowledgeName"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    ASSERT_TRUE(open && greet && askIt && close);

    auto failure = reinterpret_cast<decltype(&chatOpenFailure)>(dlsym(library, "chatOpenFailure"));
    ASSERT_NE(failure, nullptr);

    // Without its language data the engine opens no conversation.
    const std::string sample = test::sampleKnowledgePath();
    const std::string key = "lib:;" + sample;
    EXPECT_EQ(open(key.c_str(), sample.c_str(), "/nowhere/juman/x", "", "127.0.0.1", 0), -1);
    EXPECT_EQ(failure().rfind("the language data cannot be loaded (-3): the morphological dictionary ", 0), 0u)
        << failure();
    EXPECT_EQ(close(key.c_str()), 1);

    test::BuildInstallTree tree;
    EXPECT_EQ(open(key.c_str(), sample.c_str(), test::rcPathIn(tree.root()).c_str(), "", "127.0.0.1", 1), 0);
    std::string greeting;
    EXPECT_EQ(greet(key.c_str(), greeting), 0);
    bool known = false;
    for (const char* text : GREETINGS)
        known = known || greeting == sjis(text);
    EXPECT_TRUE(known) << greeting;
    std::string reply;
    askIt(key.c_str(), sjis("営業時間を教えてください").c_str(), reply, 0);
    EXPECT_EQ(reply, sjis("平日の営業時間は午前７時から午後７時までです。土曜日と日曜日の営業時間もお知らせしましょうか？;表情,普通;"));
    EXPECT_EQ(close(key.c_str()), 1);
    dlclose(library);
}

}  // namespace
}  // namespace quibo
