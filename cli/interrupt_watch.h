#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include <signal.h>

namespace zorvane::cli {

// Turns Ctrl-C into a call on an ordinary thread, so the handler may take
// locks and log: SIGINT is blocked in the creating thread (and so in every
// thread started after it) and taken with sigwait by a thread of its own.
// The first SIGINT says on standard error that the current page is being
// finished and calls onInterrupt; a second one ends the program at once with
// status 130. Make it before any other thread.
class InterruptWatch final
{
public:
    explicit InterruptWatch(std::function<void()> onInterrupt);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool interrupted() const { return m_interrupted.load(); }

private:
    void watch();

    std::function<void()> m_onInterrupt;
    std::atomic<bool> m_interrupted{false};
    std::atomic<bool> m_quit{false};
    sigset_t m_previousMask{};
    std::thread m_thread;
};

} // namespace zorvane::cli
