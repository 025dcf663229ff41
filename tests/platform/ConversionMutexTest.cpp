#include "platform/ConversionMutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <unistd.h>

namespace quibo::platform {
namespace {

TEST(ConversionMutexTest, EveryCallerGetsTheOneMutex)
{
    ConversionMutex* seen = nullptr;
    std::thread other([&] { seen = &ConversionMutex::instance(); });
    other.join();
    EXPECT_EQ(seen, &ConversionMutex::instance());
}

TEST(ConversionMutexTest, LockIsHeldForTheScopeOfOneConversion)
{
    std::atomic<bool> entered{false};
    std::thread other;
    {
        ConversionLock lock;
        other = std::thread([&] {
            ConversionLock second;
            entered = true;
        });
        usleep(50 * 1000);
        EXPECT_FALSE(entered);
    }
    other.join();
    EXPECT_TRUE(entered);
}

}  // namespace
}  // namespace quibo::platform
