// When an utterance arrived and how long the engine took over it.  The time
// is the local wall-clock time with millisecond resolution, read through the
// platform clock so that tests are exact; seconds are kept in a time_t, so
// stamps go on past 2038.
#pragma once

#include <cstdint>
#include <ctime>

namespace quibo {

class TimeStamp {
public:
    struct Instant {
        std::time_t seconds = 0;
        std::int32_t microseconds = 0;  // milliseconds times 1000
    };

    // Stamped now.
    TimeStamp() { set(); }

    // Stamps anew with the present time and resets the duration to 0.0.
    Instant set();
    // Seconds since the stamp, which also become the stored duration; 0.0
    // for a stamp of zero seconds and microseconds, which then keeps its
    // duration.
    double elapsed();

    // The local time: its calendar fields taken as mktime reads them (no
    // daylight-saving hint) and its milliseconds.
    static Instant now();
    // later - earlier, in seconds.
    static double difference(const Instant& later, const Instant& earlier);

    Instant instant() const { return {m_seconds, m_microseconds}; }
    double duration() const { return m_duration; }

private:
    std::time_t m_seconds = 0;
    std::int32_t m_microseconds = 0;
    double m_duration = 0.0;
};

}  // namespace quibo
