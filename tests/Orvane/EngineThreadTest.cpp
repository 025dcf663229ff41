#include "Orvane/host/EngineThread.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <numeric>
#include <set>
#include <thread>
#include <vector>

namespace quibo::orvane {
namespace {

// The request threads of the HTTP host post at once; the controls behind
// them must see one caller, in the order the requests were queued.  The
// first job holds the engine thread until every job is queued, so that the
// order comes from the queue.  The clock is moved only by the engine
// thread's own jobs: nothing else reads it while the engine runs.
TEST(EngineThreadTest, JobsFromSeveralThreadsRunInPostOrderOnOneThreadAndTheIdleTaskRunsWhenItsIntervalPassed)
{
    platform::FakeClock clock;
    platform::ScopedClock scoped(clock);
    std::vector<std::int64_t> idleRuns;
    EngineThread engine([&] { idleRuns.push_back(clock.elapsedMillis()); }, 1000);

    std::promise<void> allQueued;
    engine.post([queued = allQueued.get_future().share()] { queued.wait(); });
    std::mutex postOrder;
    int nextTicket = 0;
    std::vector<int> ran;
    std::set<std::thread::id> runners;
    std::vector<std::thread> posters;
    for (int poster = 0; poster < 4; ++poster) {
        posters.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                std::lock_guard lock(postOrder);
                engine.post([&ran, &runners, ticket = nextTicket++] {
                    ran.push_back(ticket);
                    runners.insert(std::this_thread::get_id());
                });
            }
        });
    }
    std::set<std::thread::id> posterIds{std::this_thread::get_id()};
    for (std::thread& poster : posters) {
        posterIds.insert(poster.get_id());
        poster.join();
    }
    allQueued.set_value();
    std::vector<int> expected(200);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(engine.run([&] { return ran; }), expected);
    ASSERT_EQ(runners.size(), 1u);
    EXPECT_EQ(posterIds.count(*runners.begin()), 0u);

    engine.run([&] { clock.advance(999); });
    EXPECT_TRUE(engine.run([&] { return idleRuns; }).empty());
    engine.run([&] { clock.advance(1); });
    engine.run([&] { clock.advance(2500); });
    EXPECT_EQ(engine.run([&] { return idleRuns; }), (std::vector<std::int64_t>{1000, 3500}));
}

}  // namespace
}  // namespace quibo::orvane
