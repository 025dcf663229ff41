#include "Orvane/host/EngineThread.h"

#include "platform/Clock.h"

#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace quibo::orvane {

EngineThread::EngineThread(std::function<void()> idleTask, int idleIntervalMillis)
    : m_idleTask(std::move(idleTask)), m_idleIntervalMillis(idleIntervalMillis), m_wakeUp(eventfd(0, EFD_CLOEXEC))
{
    if (m_wakeUp < 0) {
        throw std::runtime_error("no eventfd for the engine thread");
    }
    m_thread = std::thread([this] { loop(); });
}

EngineThread::~EngineThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m_wakeUp, &one, sizeof one);
    m_thread.join();
    close(m_wakeUp);
}

void EngineThread::post(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m_wakeUp, &one, sizeof one);
}

void EngineThread::loop()
{
    std::int64_t lastIdle = platform::clock().elapsedMillis();
    for (;;) {
        // Before each job, so that a job that lets the interval pass is
        // followed by the idle task, even when more jobs wait.
        const std::int64_t now = platform::clock().elapsedMillis();
        if (now - lastIdle >= m_idleIntervalMillis) {
            m_idleTask();
            lastIdle = now;
        }
        std::function<void()> job;
        {
            std::lock_guard lock(m_mutex);
            if (!m_jobs.empty()) {
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            } else if (m_stopping) {
                return;
            }
        }
        if (job) {
            job();
            continue;
        }
        // A job posted since the queue was seen empty has written the
        // eventfd, which ends the wait at once.
        pollfd wakeUp{m_wakeUp, POLLIN, 0};
        if (poll(&wakeUp, 1, static_cast<int>(lastIdle + m_idleIntervalMillis - now)) > 0) {
            std::uint64_t count;
            [[maybe_unused]] const ssize_t read_ = read(m_wakeUp, &count, sizeof count);
        }
    }
}

}  // namespace quibo::orvane
