#pragma once

#include <coroutine>
#include <exception>
#include <utility>

// One updater command written as the steps it takes. Each wait suspends the command and
// hands control back to the event loop; the 20 ms tick or arriving bytes take it up again.
// So the window keeps answering during a wait without a nested event loop, and no handler
// is entered a second time from inside its own wait.
//
// A task starts at once when called and runs to its first wait. Awaiting a task from
// another resumes the caller when the awaited one finishes.
class UpdaterTask
{
public:
    struct promise_type
    {
        struct FinalAwaiter
        {
            bool await_ready() const noexcept { return false; }
            std::coroutine_handle<> await_suspend(std::coroutine_handle<promise_type> finished) const noexcept
            {
                const std::coroutine_handle<> next = finished.promise().continuation;
                return next ? next : std::noop_coroutine();
            }
            void await_resume() const noexcept {}
        };

        UpdaterTask get_return_object() { return UpdaterTask(std::coroutine_handle<promise_type>::from_promise(*this)); }
        std::suspend_never initial_suspend() const noexcept { return {}; }
        FinalAwaiter final_suspend() const noexcept { return {}; }
        void return_void() const noexcept {}
        [[noreturn]] void unhandled_exception() const noexcept { std::terminate(); }

        std::coroutine_handle<> continuation;
    };

    UpdaterTask(UpdaterTask &&other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    UpdaterTask &operator=(UpdaterTask &&other) noexcept
    {
        if (this != &other) {
            destroy();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    UpdaterTask(const UpdaterTask &) = delete;
    UpdaterTask &operator=(const UpdaterTask &) = delete;
    ~UpdaterTask() { destroy(); }

    bool done() const { return !m_handle || m_handle.done(); }

    bool await_ready() const noexcept { return done(); }
    void await_suspend(std::coroutine_handle<> caller) const noexcept { m_handle.promise().continuation = caller; }
    void await_resume() const noexcept {}

private:
    explicit UpdaterTask(std::coroutine_handle<promise_type> handle) : m_handle(handle) {}
    void destroy()
    {
        if (m_handle)
            std::exchange(m_handle, {}).destroy();
    }

    std::coroutine_handle<promise_type> m_handle;
};
