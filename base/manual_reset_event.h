#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zorvane {

// A manual-reset event: once set it stays set, waking every waiter, until reset.
class ManualResetEvent final
{
public:
    void set()
    {
        {
            std::lock_guard guard(m_mutex);
            m_set = true;
        }
        m_cv.notify_all();
    }

    void reset()
    {
        std::lock_guard guard(m_mutex);
        m_set = false;
    }

    bool isSet() const
    {
        std::lock_guard guard(m_mutex);
        return m_set;
    }

    // True when the event was (or became) set within the time.
    bool waitFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [this] { return m_set; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_set = false;
};

} // namespace zorvane
