#include "ui/basket_job.h"

#include <new>
#include <stdexcept>

namespace zorvane::ui {

namespace {

// The solver keeps to its memory budget; memory taken by others can still
// fail an allocation, and an exception leaving the thread would end the
// window with it.
basket::BasketResult solveOrRefuse(const basket::BasketRequest& request, const std::atomic<bool>* stop)
{
    try {
        return basket::solveBaskets(request, stop);
    } catch (const std::bad_alloc&) {
        return {basket::BasketStatus::OverMemory, "", {}};
    } catch (const std::length_error&) {
        return {basket::BasketStatus::OverMemory, "", {}};
    }
}

} // namespace

BasketJob::BasketJob(QObject* parent) : QObject(parent) {}

BasketJob::~BasketJob()
{
    stopWorker();
}

void BasketJob::stopWorker()
{
    if (m_stop)
        m_stop->store(true);
    // The solver polls the flag every few thousand totals or parts: the wait
    // is a few milliseconds at most.
    if (m_worker.joinable())
        m_worker.join();
}

void BasketJob::start(basket::BasketRequest request)
{
    stopWorker();
    m_stop = std::make_shared<std::atomic<bool>>(false);
    const int generation = ++m_generation;
    m_running = true;
    m_worker = std::thread([this, generation, stop = m_stop, request = std::move(request)] {
        basket::BasketResult result = solveOrRefuse(request, stop.get());
        // Posted, never waited for: the owner may be busy or going away; a
        // destroyed owner drops the posted call.
        QMetaObject::invokeMethod(
            this,
            [this, generation, result = std::move(result)] {
                if (generation != m_generation)
                    return;
                m_running = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
}

void BasketJob::cancel()
{
    if (m_stop)
        m_stop->store(true);
}

} // namespace zorvane::ui
