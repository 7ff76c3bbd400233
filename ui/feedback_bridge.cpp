#include "ui/feedback_bridge.h"

#include <QThread>

namespace zorvane::ui {

FeedbackBridge::FeedbackBridge(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler))
{
}

void FeedbackBridge::send(const Feedback& message)
{
    if (QThread::currentThread() == thread()) {
        m_handler(message);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, &message] { m_handler(message); }, Qt::BlockingQueuedConnection);
}

void FeedbackBridge::post(const Feedback& message)
{
    QMetaObject::invokeMethod(
        this, [this, message] { m_handler(message); }, Qt::QueuedConnection);
}

void GuardedSink::detach()
{
    std::lock_guard guard(m_mutex);
    m_bridge = nullptr;
}

void GuardedSink::send(const Feedback& message)
{
    FeedbackBridge* bridge;
    {
        std::lock_guard guard(m_mutex);
        bridge = m_bridge;
    }
    // Senders are joined or waited for before the window goes away.
    if (bridge)
        bridge->send(message);
}

void GuardedSink::post(const Feedback& message)
{
    std::lock_guard guard(m_mutex);
    if (m_bridge)
        m_bridge->post(message);
}

} // namespace zorvane::ui
