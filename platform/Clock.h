// The engine's only sources of time.  (No engine source includes <chrono>:
// its "µs" literal has no EUC-JP form, and every source is compiled with
// EUC-JP literals.)  Time stamps and session ids read the
// wall clock; caches and time-outs read elapsed milliseconds.  Tests install a
// FakeClock so that results that depend on time are exact.
#pragma once

#include <cstdint>

namespace quibo::platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since 1970-01-01 00:00:00 UTC.
    virtual std::int64_t wallMillis() const = 0;
    // Monotonic milliseconds from an arbitrary origin.
    virtual std::int64_t elapsedMillis() const = 0;
    // Lets `millis` milliseconds pass: a message pump that has nothing to do
    // before its next timer waits here.
    virtual void sleepMillis(std::int64_t millis) const;
};

// The clock in force: the system clock unless a test installed another.
const Clock& clock();
// The system clock itself, for what runs in real time whatever clock a test
// installed: the deadlines of network connections.
const Clock& systemClock();

// Installs `replacement` (not owned) until the ScopedClock goes away.
class ScopedClock {
public:
    explicit ScopedClock(const Clock& replacement);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    const Clock* m_previous;
};

class FakeClock : public Clock {
public:
    std::int64_t wallMillis() const override { return m_wall; }
    std::int64_t elapsedMillis() const override { return m_elapsed; }
    // Virtual time: waiting moves the clock on at once.
    void sleepMillis(std::int64_t millis) const override
    {
        m_wall += millis;
        m_elapsed += millis;
    }

    void setWallMillis(std::int64_t t) { m_wall = t; }
    void advance(std::int64_t millis)
    {
        m_wall += millis;
        m_elapsed += millis;
    }

private:
    mutable std::int64_t m_wall = 0;
    mutable std::int64_t m_elapsed = 0;
};

}  // namespace quibo::platform
