#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "core/feedback.h"

namespace zorvane::testing {

// Stands in for the window: keeps every message and may act on one while
// the worker waits in send(), as the window's handler does.
class RecordingSink final : public FeedbackSink
{
public:
    std::function<void(const Feedback&)> onSend;

    void send(const Feedback& message) override
    {
        if (onSend)
            onSend(message);
        std::lock_guard guard(m_mutex);
        m_messages.push_back(message);
        m_changed.notify_all();
    }

    void post(const Feedback& message) override { send(message); }

    std::vector<Feedback> messages() const
    {
        std::lock_guard guard(m_mutex);
        return m_messages;
    }

    // Waits until a message with the code has arrived.
    bool waitFor(int code, std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            for (const Feedback& m : m_messages) {
                if (m.code == code)
                    return true;
            }
            return false;
        });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Feedback> m_messages;
};

} // namespace zorvane::testing
