#include "analysis/TimeStamp.h"

#include "platform/Clock.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace quibo {
namespace {

using test::ScopedTimeZone;

// 2027-03-05 07:08:09 UTC.
constexpr std::int64_t MARCH_5_2027_070809_UTC = 1804230489LL * 1000;

TEST(TimeStampTest, SmallFieldsKeepTheirLeadingZeros)
{
    ScopedTimeZone zone("UTC0");
    platform::FakeClock fake;
    fake.setWallMillis(MARCH_5_2027_070809_UTC + 999);
    platform::ScopedClock pinned(fake);
    EXPECT_EQ(currentTimeStamp(), "2027/03/05 07:08:09 ");
}

TEST(TimeStampTest, StampIsLocalTimeOfTheZoneInForce)
{
    platform::FakeClock fake;
    fake.setWallMillis(MARCH_5_2027_070809_UTC + 17 * 3600 * 1000LL);
    platform::ScopedClock pinned(fake);
    {
        ScopedTimeZone zone("UTC0");
        EXPECT_EQ(currentTimeStamp(), "2027/03/06 00:08:09 ");
    }
    {
        ScopedTimeZone zone("JST-9");
        EXPECT_EQ(currentTimeStamp(), "2027/03/06 09:08:09 ");
    }
}

TEST(TimeStampTest, StampIsAlwaysTwentyCharactersEndingInOneBlank)
{
    ScopedTimeZone zone("UTC0");
    platform::FakeClock fake;
    platform::ScopedClock pinned(fake);
    const std::int64_t instants[] = {0, -1, 946684799999LL, 4102444800000LL, 253402300799000LL};
    const char* expected[] = {"1970/01/01 00:00:00 ", "1969/12/31 23:59:59 ",
                              "1999/12/31 23:59:59 ", "2100/01/01 00:00:00 ",
                              "9999/12/31 23:59:59 "};
    for (std::size_t i = 0; i < std::size(instants); ++i) {
        fake.setWallMillis(instants[i]);
        const std::string stamp = currentTimeStamp();
        EXPECT_EQ(stamp, expected[i]);
        ASSERT_EQ(stamp.size(), 20u);
        EXPECT_EQ(stamp[19], ' ');
        EXPECT_NE(stamp[18], ' ');
    }
}

TEST(TimeStampTest, YearBeyondFourDigitsIsCutToTheStampLength)
{
    ScopedTimeZone zone("UTC0");
    platform::FakeClock fake;
    fake.setWallMillis(253402300800000LL);  // 10000-01-01 00:00:00
    platform::ScopedClock pinned(fake);
    EXPECT_EQ(currentTimeStamp().size(), 20u);
}

}  // namespace
}  // namespace quibo
