#pragma once

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

#include "basket/basket_solver.h"

namespace zorvane::ui {

// The basket solver on its own thread. The answer comes back on the thread
// that owns the job, as finished(); a job started anew or cancelled never
// reports the old answer. The worker only posts to the owner, so waiting for
// it (when a job is replaced or destroyed) never waits on the owner's thread.
class BasketJob final : public QObject
{
    Q_OBJECT

public:
    explicit BasketJob(QObject* parent = nullptr);
    ~BasketJob() override;

    void start(basket::BasketRequest request);
    // The running solve stops at its next check and reports Cancelled.
    void cancel();
    bool running() const { return m_running; }

signals:
    void finished(const zorvane::basket::BasketResult& result);

private:
    void stopWorker();

    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_stop;
    int m_generation = 0;
    bool m_running = false;
};

} // namespace zorvane::ui
