// The one thread that owns every control of orvane-host and runs the calls
// to them in the order they arrive: the engine behind the controls is
// single-threaded.  Between calls it runs its idle task whenever the
// interval has passed on the injectable clock.
#pragma once

#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <type_traits>

namespace quibo::orvane {

class EngineThread {
public:
    EngineThread(std::function<void()> idleTask, int idleIntervalMillis);
    // Runs the jobs already queued, then stops.
    ~EngineThread();
    EngineThread(const EngineThread&) = delete;
    EngineThread& operator=(const EngineThread&) = delete;

    // Runs `job` on the engine thread after the jobs queued before it, and
    // waits for its result.  A job is one call of a control, which answers
    // within its own time-out.
    template <typename Job>
    std::invoke_result_t<Job> run(Job job)
    {
        std::packaged_task<std::invoke_result_t<Job>()> task(std::move(job));
        auto result = task.get_future();
        post([&task] { task(); });
        return result.get();
    }
    // Queues `job` behind the jobs queued before it and returns at once.
    void post(std::function<void()> job);

private:
    void loop();

    std::function<void()> m_idleTask;
    int m_idleIntervalMillis;
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    int m_wakeUp;  // an eventfd: a job arrived or the thread is to stop
    std::thread m_thread;
};

}  // namespace quibo::orvane
