#include "platform/Clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace quibo::platform {
namespace {

class SystemClock : public Clock {
public:
    std::int64_t wallMillis() const override { return read(CLOCK_REALTIME); }
    std::int64_t elapsedMillis() const override { return read(CLOCK_MONOTONIC); }

private:
    static std::int64_t read(clockid_t which)
    {
        timespec ts{};
        clock_gettime(which, &ts);
        return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    }
};

const SystemClock g_systemClock;
std::atomic<const Clock*> current{nullptr};

}  // namespace

void Clock::sleepMillis(std::int64_t millis) const
{
    if (millis <= 0) {
        return;
    }
    timespec ts{static_cast<time_t>(millis / 1000), static_cast<long>(millis % 1000) * 1000000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

const Clock& clock()
{
    const Clock* c = current.load(std::memory_order_acquire);
    return c ? *c : g_systemClock;
}

const Clock& systemClock() { return g_systemClock; }

ScopedClock::ScopedClock(const Clock& replacement)
    : m_previous(current.exchange(&replacement, std::memory_order_acq_rel))
{
}

ScopedClock::~ScopedClock() { current.store(m_previous, std::memory_order_release); }

}  // namespace quibo::platform
