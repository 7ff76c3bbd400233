#pragma once

#include <functional>
#include <thread>

#include "base/owner_lock.h"

namespace zorvane {

// The workers the window tracks, one of each at a time.
enum class Worker
{
    Search,
    Filter,
    Sort,
    Export,
};

// Starts, tracks and releases the worker threads. A worker counts as running
// from its start until its end message was handled (release) or it was
// joined, not merely until its body returned: the end is handled while the
// worker still waits in its last send.
class Workers final
{
public:
    // Starts body on a new thread as the given worker, releasing a leftover
    // thread object of that worker first. False when no thread could be made.
    bool start(Worker worker, std::function<void()> body);
    bool running(Worker worker);
    // Lets the worker's thread finish on its own, without joining: it may
    // still be inside its last send when its end is handled.
    void release(Worker worker);
    // Waits for the worker's thread to end.
    void join(Worker worker);

    // A thread nobody waits for (the log pump, the update check). False when
    // no thread could be made.
    static bool startDetached(std::function<void()> body);

private:
    friend struct AppState;

    std::thread& slot(Worker worker) { return m_threads[static_cast<int>(worker)]; }

    OwnerLock m_lock;
    std::thread m_threads[4];
};

} // namespace zorvane
