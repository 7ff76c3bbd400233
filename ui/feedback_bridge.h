#pragma once

#include <QObject>

#include <functional>
#include <mutex>

#include "core/feedback.h"

namespace zorvane::ui {

// Moves each worker message onto the UI thread. send() blocks the worker
// until the handler has run; post() returns at once. A message sent from the
// UI thread itself is handled directly.
class FeedbackBridge final : public QObject, public FeedbackSink
{
    Q_OBJECT

public:
    using Handler = std::function<void(const Feedback&)>;

    explicit FeedbackBridge(Handler handler, QObject* parent = nullptr);

    void send(const Feedback& message) override;
    void post(const Feedback& message) override;

private:
    Handler m_handler;
};

// What background threads hold instead of the bridge itself: once the window
// detaches it, posts are dropped instead of reaching a destroyed object.
class GuardedSink final : public FeedbackSink
{
public:
    explicit GuardedSink(FeedbackBridge* bridge) : m_bridge(bridge) {}
    void detach();
    void send(const Feedback& message) override;
    void post(const Feedback& message) override;

private:
    std::mutex m_mutex;
    FeedbackBridge* m_bridge;
};

} // namespace zorvane::ui
