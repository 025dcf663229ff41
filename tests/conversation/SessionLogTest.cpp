#include "conversation/SessionLog.h"

#include "platform/Clock.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/Words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quibo {
namespace {

constexpr int NEWEST = -1;

class SessionLogTest : public ::testing::Test {
protected:
    SessionLogTest() : m_scope(m_clock) { m_clock.setWallMillis(1804240800LL * 1000); }
    ~SessionLogTest() override { SessionLogRegistry::destroy(); }

    test::ScopedTimeZone m_zone{"UTC0"};
    platform::FakeClock m_clock;
    platform::ScopedClock m_scope;
};

TEST_F(SessionLogTest, RegistryFindsOrCreatesAndNeverChangesALog)
{
    SessionLog* log = SessionLogRegistry::get("k1", "kb", "peer", "1.2.3.4");
    EXPECT_EQ(SessionLogRegistry::get("k1", "other", "other", "other"), log);
    EXPECT_EQ(log->sid(), "k1");
    EXPECT_EQ(log->kbName(), "kb");
    EXPECT_EQ(log->peerName(), "peer");
    EXPECT_EQ(log->ipAddr(), "1.2.3.4");
    log->setIpAddr("127.0.0.1");
    EXPECT_EQ(log->ipAddr(), "127.0.0.1");
    EXPECT_NE(SessionLogRegistry::get("k2", "", "", ""), log);
    EXPECT_EQ(SessionLogRegistry::instance().size(), 2u);

    SessionLogRegistry::remove("unknown");
    EXPECT_EQ(SessionLogRegistry::instance().size(), 2u);

    // Closing and reopening a conversation starts an empty log.
    log->addUtterance("こんにちは");
    SessionLogRegistry::remove("k1");
    EXPECT_EQ(SessionLogRegistry::instance().count("k1"), 0u);
    EXPECT_TRUE(SessionLogRegistry::get("k1", "", "", "")->utterances().empty());

    SessionLogRegistry::destroy();
    SessionLogRegistry::remove("k2");  // no registry: nothing to do
    EXPECT_TRUE(SessionLogRegistry::instance().empty());
}

TEST_F(SessionLogTest, WriterCreatesTheFirstRecordAndReaderNever)
{
    SessionLog log("k", "", "", "");
    EXPECT_EQ(log.getAnsSent(NEWEST), "");
    EXPECT_EQ(log.getCondCount(NEWEST), 0);
    EXPECT_EQ(log.getCandId(0, NEWEST), -1);
    EXPECT_EQ(log.findCondId(nullptr, NEWEST), -1);
    EXPECT_TRUE(log.utterances().empty());

    m_clock.advance(1250);
    log.setAnsSent("はい", NEWEST);
    ASSERT_EQ(log.utterances().size(), 1u);
    EXPECT_EQ(log.utterances()[0].inSent(), "");
    EXPECT_EQ(log.utterances()[0].stamp().instant().microseconds, 250000);
    EXPECT_EQ(log.getAnsSent(NEWEST), "はい");
    EXPECT_EQ(log.getAnsSent(0), "はい");
}

TEST_F(SessionLogTest, IndexAtOrAboveTheCountIsIgnored)
{
    SessionLog log("k", "", "", "");
    log.addUtterance("一");
    log.setAnsSent("答え", 0);
    int candidate = 0;
    for (int index : {1, 2, -2}) {
        log.setAnsSent("別", index);
        log.setExtText("別", index);
        EXPECT_EQ(log.addCond(5, &candidate, index), 0);
        EXPECT_EQ(log.addCand(0, 0, 'd', 0, 0, "", "", index), 0);
        EXPECT_EQ(log.startProcTime(index).seconds, 0);
        EXPECT_EQ(log.getElapsed(index), 0.0);
        EXPECT_EQ(log.getAnsSent(index), "");
        EXPECT_EQ(log.getExtText(index), "");
        EXPECT_EQ(log.getCondCount(index), 0);
        EXPECT_EQ(log.findCondIndex(&candidate, index), -1);
    }
    ASSERT_EQ(log.utterances().size(), 1u);
    EXPECT_EQ(log.getAnsSent(NEWEST), "答え");
    EXPECT_EQ(log.getCondCount(0), 0);
    EXPECT_EQ(log.getCandCount(0), 0);
}

// One turn's writes in the order the stages make them.
TEST_F(SessionLogTest, ATurnRecordedThroughTheNewestIndex)
{
    SessionLog& log = *SessionLogRegistry::get("k", "", "", "");
    log.addUtterance("前の発話");
    EXPECT_EQ(log.addUtterance("パンはありますか"), 1);
    m_clock.advance(100);
    log.startProcTime(NEWEST);

    // Two candidates are logged as conditions, then move to new storage.
    int candidates[2], moved[2];
    for (int i = 0; i < 2; ++i) {
        const int item = log.addCond(log.getCondCount(NEWEST), &candidates[i], NEWEST);
        EXPECT_EQ(item, i);
        log.setCondPhTypes(1, item, NEWEST);
    }
    EXPECT_EQ(log.getCondCount(NEWEST), 2);
    for (int i = 0; i < 2; ++i)
        log.setCondObject(&moved[i], log.findCondIndex(&candidates[i], NEWEST), NEWEST);
    EXPECT_EQ(log.findCondIndex(&candidates[0], NEWEST), -1);

    for (int i = 0; i < 5; ++i) {
        const int item = log.addCand(log.getCandCount(NEWEST), log.findCondId(&moved[i % 2], NEWEST), 'i', 3, 2,
                                     "パン", "見出し", NEWEST);
        log.setCandWordPairs({{"パン", "パン", 1}}, item, NEWEST);
    }
    EXPECT_EQ(log.getCandId(4, NEWEST), 4);
    EXPECT_EQ(log.getCandId(5, NEWEST), -1);
    log.setAnsSent("毎朝焼いています。", NEWEST);
    log.setExtText("表情,笑顔", NEWEST);
    m_clock.advance(40);
    EXPECT_DOUBLE_EQ(log.getElapsed(NEWEST), 0.04);

    const UtteranceRecord& record = log.utterances()[1];
    EXPECT_EQ(record.conds()[1].ph_types, std::vector<std::string>{"肯定句"});
    EXPECT_EQ(record.cands()[3].cond_id, 1);
    EXPECT_EQ(record.cands()[3].form, "肯定");
    EXPECT_EQ(log.getExtText(NEWEST), "表情,笑顔");
    EXPECT_EQ(log.getAnsSent(0), "");
    EXPECT_TRUE(log.utterances()[0].conds().empty());
}

}  // namespace
}  // namespace quibo
