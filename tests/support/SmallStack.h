// Runs work on a thread with a small stack, so that a test shows the work
// needs no more machine stack however deeply its data nests.
#pragma once

#include <pthread.h>

#include <cstddef>

namespace quibo::test {

// True when the thread ran; the work runs to its end before this returns.
template <class Work>
bool runOnSmallStack(Work work, std::size_t stackBytes = 256 << 10)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stackBytes);
    pthread_t thread;
    const bool started = pthread_create(
                             &thread, &attributes,
                             [](void* argument) -> void* {
                                 (*static_cast<Work*>(argument))();
                                 return nullptr;
                             },
                             &work) == 0;
    if (started)
        pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    return started;
}

}  // namespace quibo::test
