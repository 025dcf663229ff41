#include "analysis/TimeStamp.h"

#include "platform/Clock.h"

#include <cstdio>
#include <ctime>

namespace quibo {
namespace {

constexpr std::size_t STAMP_LENGTH = 19;  // "yyyy/mm/dd hh:mm:ss"

}  // namespace

std::string currentTimeStamp()
{
    const std::int64_t millis = platform::clock().wallMillis();
    // Round towards the earlier second, also before 1970.
    const std::int64_t seconds = millis / 1000 - (millis % 1000 < 0 ? 1 : 0);
    const std::time_t now = static_cast<std::time_t>(seconds);
    std::tm local{};
    char text[64] = "0000/00/00 00:00:00";
    // A time the C library cannot break down keeps the zero stamp rather than
    // formatting a null result.
    if (localtime_r(&now, &local) != nullptr) {
        std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    }
    std::string stamp(text);
    stamp.resize(STAMP_LENGTH, ' ');
    stamp += ' ';
    return stamp;
}

}  // namespace quibo
