// The one lock of the engine: every code conversion in the process holds it
// from the first to the last byte, so that conversions run one at a time
// whichever module asks.  No other lock is ever taken while it is held.
#pragma once

#include <pthread.h>

namespace quibo::platform {

class ConversionMutex {
public:
    // The process-wide mutex, built the first time anyone asks for it, so a
    // converter used while another module's statics are still being built
    // finds it ready.  It is never destroyed: a conversion that runs from a
    // static destructor at exit still finds it alive.
    static ConversionMutex& instance();

    void lock();
    void unlock();

    ConversionMutex(const ConversionMutex&) = delete;
    ConversionMutex& operator=(const ConversionMutex&) = delete;

private:
    ConversionMutex();
    ~ConversionMutex() = delete;

    pthread_mutex_t m_mutex;
};

// Holds the conversion mutex for one conversion.
class ConversionLock {
public:
    ConversionLock() { ConversionMutex::instance().lock(); }
    ~ConversionLock() { ConversionMutex::instance().unlock(); }
    ConversionLock(const ConversionLock&) = delete;
    ConversionLock& operator=(const ConversionLock&) = delete;
};

}  // namespace quibo::platform
