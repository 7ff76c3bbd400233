#include "tests/reliability/ui_thread.h"

#include <cstdio>
#include <cstdlib>

namespace zorvane::test {

UiThread::UiThread() : m_thread([this] { loop(); }) {}

UiThread::~UiThread()
{
    {
        std::lock_guard guard(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void UiThread::loop()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_quit || !m_tasks.empty(); });
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

void UiThread::post(std::function<void()> task)
{
    {
        std::lock_guard guard(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_changed.notify_all();
}

bool UiThread::run(std::function<void()> task, std::chrono::milliseconds timeout)
{
    struct Done
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool done = false;
    };
    // Shared with the task, which may still run after a time-out here.
    auto done = std::make_shared<Done>();
    post([task = std::move(task), done] {
        task();
        {
            std::lock_guard guard(done->mutex);
            done->done = true;
        }
        done->changed.notify_all();
    });
    std::unique_lock lock(done->mutex);
    return done->changed.wait_for(lock, timeout, [&] { return done->done; });
}

UiSink::UiSink(UiThread& ui, std::function<void(const Feedback&)> handler)
    : m_ui(ui), m_handler(std::move(handler))
{
}

void UiSink::send(const Feedback& message)
{
    // A worker blocked here for minutes means the window thread is stuck.
    if (!m_ui.run([this, message] { m_handler(message); }, std::chrono::minutes(2))) {
        std::fprintf(stderr, "deadlock: message %d was not handled within 2 minutes\n", message.code);
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }
}

void UiSink::post(const Feedback& message)
{
    m_ui.post([this, message] { m_handler(message); });
}

} // namespace zorvane::test
