// Bodies of stored objects run from a work stack on the heap, not on the
// machine stack.  A stream nests an object inside the first body that points
// to it, so nesting depth follows the object graph (an entity's topic, its
// title, a word of the title, the entity bound to that word, its topic, ...)
// and can be as deep as a knowledge base is large.  Each body that can meet
// pointers is a coroutine (CdrTask); when it meets an object new to the
// stream it pushes that object's body onto the codec's CdrWork and suspends,
// and the work loop runs the innermost body until it ends, then resumes the
// one below.  Machine-stack use stays the same at any depth; the work stack
// costs one coroutine frame per body in progress.
//
// A load makes one frame per body, hundreds of thousands for a large base,
// each created and destroyed as the stream goes, and a deep stream holds
// tens of thousands at once: frames come from the thread's slabs
// (CdrFramePool) instead of one heap allocation each.
//
// A body coroutine awaits:
//   co_await in.object<T>()   / co_await out.object(pointer)  - a pointer
//   co_await CdrBody<R>::read(record, in)                      - a record held
//                                                               by value
#pragma once

#include <algorithm>
#include <coroutine>
#include <cstddef>
#include <exception>
#include <utility>
#include <vector>

namespace quibo {

class CdrWork;

// Coroutine frames of the thread's bodies, cut from large slabs and
// recycled by size class.  The slabs are kept while a work stack of the
// thread exists or a frame from them is still alive, and go back to the
// heap together once neither is the case.
class CdrFramePool {
public:
    static void* allocate(std::size_t size);
    static void release(void* frame, std::size_t size) noexcept;
    // Work stacks of the thread that come and go.
    static void enter() noexcept;
    static void leave() noexcept;
};

class CdrTask {
public:
    struct promise_type {
        CdrWork* work = nullptr;
        std::exception_ptr error;

        static void* operator new(std::size_t size) { return CdrFramePool::allocate(size); }
        static void operator delete(void* frame, std::size_t size) noexcept { CdrFramePool::release(frame, size); }

        CdrTask get_return_object() { return CdrTask(Handle::from_promise(*this)); }
        // Lazy: the body starts when the work loop first resumes it.
        std::suspend_always initial_suspend() noexcept { return {}; }
        std::suspend_always final_suspend() noexcept { return {}; }
        void return_void() noexcept {}
        void unhandled_exception() noexcept { error = std::current_exception(); }
    };
    using Handle = std::coroutine_handle<promise_type>;

    CdrTask() = default;
    CdrTask(CdrTask&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    CdrTask& operator=(CdrTask&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    CdrTask(const CdrTask&) = delete;
    CdrTask& operator=(const CdrTask&) = delete;
    ~CdrTask() { reset(); }

    explicit operator bool() const { return static_cast<bool>(m_handle); }
    Handle release() { return std::exchange(m_handle, {}); }

    // Awaited by another body: this body runs to its end first.
    auto operator co_await() && noexcept;

private:
    explicit CdrTask(Handle handle) : m_handle(handle) {}
    void reset()
    {
        if (m_handle)
            std::exchange(m_handle, {}).destroy();
    }

    Handle m_handle;
};

// The bodies in progress of one codec, innermost last.
class CdrWork {
public:
    CdrWork() { CdrFramePool::enter(); }
    CdrWork(const CdrWork&) = delete;
    CdrWork& operator=(const CdrWork&) = delete;
    ~CdrWork()
    {
        for (CdrTask::Handle handle : m_stack) handle.destroy();
        CdrFramePool::leave();
    }

    // Runs the body and every body it awaits to the end.  When a body
    // throws, the bodies in progress above this call are destroyed and the
    // exception is rethrown here.
    void run(CdrTask task)
    {
        const std::size_t base = m_stack.size();
        push(task.release());
        while (m_stack.size() > base) {
            CdrTask::Handle top = m_stack.back();
            top.resume();
            if (std::exception_ptr error = top.promise().error) {
                while (m_stack.size() > base) {
                    m_stack.back().destroy();
                    m_stack.pop_back();
                }
                std::rethrow_exception(error);
            }
            // A body that suspended has pushed what it awaits; one that
            // ended is still the innermost.
            if (top.done()) {
                top.destroy();
                m_stack.pop_back();
            }
        }
    }

    // Makes the body the innermost one; the work stack owns it from now on.
    void push(CdrTask::Handle handle)
    {
        handle.promise().work = this;
        m_stack.push_back(handle);
        m_deepest = std::max(m_deepest, m_stack.size());
    }

    // The most bodies that were in progress at once.
    std::size_t deepest() const { return m_deepest; }

private:
    std::vector<CdrTask::Handle> m_stack;
    std::size_t m_deepest = 0;
};

// Suspends the awaiting body and makes `next` (when there is one) the
// innermost; the awaiting body resumes once `next` has ended.
struct CdrAwaitBody {
    CdrTask next;

    bool await_ready() const noexcept { return !next; }
    void await_suspend(CdrTask::Handle awaiting) noexcept { awaiting.promise().work->push(next.release()); }
    void await_resume() const noexcept {}
};

// The same, handing the awaiting body a result once `next` has ended.
template <class Result>
struct CdrAwaitResult {
    Result result;
    CdrTask next;

    bool await_ready() const noexcept { return !next; }
    void await_suspend(CdrTask::Handle awaiting) noexcept { awaiting.promise().work->push(next.release()); }
    Result await_resume() const noexcept { return result; }
};

inline auto CdrTask::operator co_await() && noexcept
{
    return CdrAwaitBody{std::move(*this)};
}

}  // namespace quibo
