#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include <signal.h>

namespace zorvane::cli {

// Turns Ctrl-C, SIGTERM (kill, timeout) and SIGHUP (a closed terminal) into a
// call on an ordinary thread, so the handler may take locks and log: the
// signals are blocked in the creating thread (and so in every thread started
// after it) and taken with sigwait by a thread of its own. The first of them
// calls onInterrupt (after the first Ctrl-C, standard error says at once that
// the current page is being finished); a second one ends the program at once
// with 128 + its number, unless it is of the same kind and came within a
// second of the first (then it is the first again). Make it before any other
// thread.
class InterruptWatch final
{
public:
    explicit InterruptWatch(std::function<void()> onInterrupt);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool interrupted() const { return m_signal.load() != 0; }
    // The first signal taken, 0 for none.
    int signal() const { return m_signal.load(); }

private:
    void watch();

    std::function<void()> m_onInterrupt;
    std::atomic<int> m_signal{0};
    std::atomic<bool> m_quit{false};
    sigset_t m_previousMask{};
    std::thread m_thread;
};

} // namespace zorvane::cli
