// Small helpers shared by the plain benchmark programs.
#pragma once

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace quibo::bench {

// Monotonic milliseconds, for timing loops.
inline double nowMillis()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Runs `work` with standard output silenced (start-up and progress lines).
template <class F>
void quietly(F&& work)
{
    std::fflush(stdout);
    const int saved = dup(1);
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        return;
    work();
    std::cout << std::flush;
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
}

}  // namespace quibo::bench
