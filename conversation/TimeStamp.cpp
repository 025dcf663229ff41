#include "conversation/TimeStamp.h"

#include "platform/Clock.h"

namespace quibo {

TimeStamp::Instant TimeStamp::set()
{
    const Instant at = now();
    m_seconds = at.seconds;
    m_microseconds = at.microseconds;
    m_duration = 0.0;
    return at;
}

double TimeStamp::elapsed()
{
    if (m_seconds == 0 && m_microseconds == 0)
        return 0.0;
    m_duration = difference(now(), instant());
    return m_duration;
}

TimeStamp::Instant TimeStamp::now()
{
    const std::int64_t millis = platform::clock().wallMillis();
    // Round towards the earlier second, also before 1970.
    std::int64_t seconds = millis / 1000;
    std::int64_t milliseconds = millis % 1000;
    if (milliseconds < 0) {
        --seconds;
        milliseconds += 1000;
    }
    const std::time_t wall = static_cast<std::time_t>(seconds);
    tzset();  // a TZ changed since the last call holds
    std::tm local{};
    if (localtime_r(&wall, &local) == nullptr)
        return {};
    std::tm fields{};
    fields.tm_year = local.tm_year;
    fields.tm_mon = local.tm_mon;
    fields.tm_mday = local.tm_mday;
    fields.tm_hour = local.tm_hour;
    fields.tm_min = local.tm_min;
    fields.tm_sec = local.tm_sec;
    return {std::mktime(&fields), static_cast<std::int32_t>(milliseconds * 1000)};
}

double TimeStamp::difference(const Instant& later, const Instant& earlier)
{
    return (later.microseconds - earlier.microseconds) * 1e-6 + static_cast<double>(later.seconds - earlier.seconds);
}

}  // namespace quibo
