#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/feedback.h"

namespace zorvane::test {

// A stand-in for the window's thread, without any window toolkit (the
// threading tests run under the thread sanitizer, which cannot see into one):
// one thread that runs tasks one at a time, in the order given.
class UiThread final
{
public:
    UiThread();
    ~UiThread();
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    // Runs the task on the thread and waits until it has run; false when it
    // had not run within the time (the thread is stuck).
    bool run(std::function<void()> task, std::chrono::milliseconds timeout);
    // Queues the task and returns at once.
    void post(std::function<void()> task);
    bool onThisThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    void loop();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_tasks;
    bool m_quit = false;
    std::thread m_thread;
};

// The worker-to-window channel over a UiThread: send() hands the message to
// the handler on that thread and returns once it was handled, as the
// window's synchronous send does.
class UiSink final : public FeedbackSink
{
public:
    UiSink(UiThread& ui, std::function<void(const Feedback&)> handler);

    void send(const Feedback& message) override;
    void post(const Feedback& message) override;

private:
    UiThread& m_ui;
    std::function<void(const Feedback&)> m_handler;
};

} // namespace zorvane::test
