#include "platform/ConversionMutex.h"

#include <new>

namespace quibo::platform {

ConversionMutex& ConversionMutex::instance()
{
    // Placement into static storage: built once (thread-safe local static),
    // never destroyed, and nothing for a leak checker to report.
    alignas(ConversionMutex) static unsigned char storage[sizeof(ConversionMutex)];
    static ConversionMutex* const mutex = new (storage) ConversionMutex();
    return *mutex;
}

ConversionMutex::ConversionMutex()
{
    pthread_mutex_init(&m_mutex, nullptr);
}

void ConversionMutex::lock()
{
    pthread_mutex_lock(&m_mutex);
}

void ConversionMutex::unlock()
{
    pthread_mutex_unlock(&m_mutex);
}

}  // namespace quibo::platform
