#include "core/workers.h"

#include <mutex>
#include <system_error>

namespace zorvane {

bool Workers::start(Worker worker, std::function<void()> body)
{
    std::lock_guard guard(m_lock.get());
    std::thread& thread = slot(worker);
    // A leftover is released rather than ending the program on assignment.
    if (thread.joinable())
        thread.detach();
    try {
        thread = std::thread(std::move(body));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool Workers::running(Worker worker)
{
    std::lock_guard guard(m_lock.get());
    return slot(worker).joinable();
}

void Workers::release(Worker worker)
{
    std::lock_guard guard(m_lock.get());
    if (slot(worker).joinable())
        slot(worker).detach();
}

void Workers::join(Worker worker)
{
    std::thread thread;
    {
        std::lock_guard guard(m_lock.get());
        thread = std::move(slot(worker));
    }
    if (thread.joinable())
        thread.join();
}

bool Workers::startDetached(std::function<void()> body)
{
    try {
        std::thread(std::move(body)).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

} // namespace zorvane
