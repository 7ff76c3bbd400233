#include "core/lock_registry.h"

#include <algorithm>
#include <new>

namespace zorvane {

LockRegistry::Lock* LockRegistry::createLock()
{
    std::lock_guard guard(m_own);
    if (m_failAt >= 0 && m_created++ == m_failAt)
        return nullptr;
    auto lock = std::unique_ptr<Lock>(new (std::nothrow) Lock);
    if (!lock)
        return nullptr;
    m_locks.push_back(std::move(lock));
    return m_locks.back().get();
}

bool LockRegistry::deleteLock(Lock* lock)
{
    std::lock_guard guard(m_own);
    auto it = std::find_if(m_locks.begin(), m_locks.end(), [&](const auto& p) { return p.get() == lock; });
    if (it == m_locks.end())
        return false;
    m_locks.erase(it);
    return true;
}

void LockRegistry::deleteAll()
{
    std::lock_guard guard(m_own);
    m_locks.clear();
}

bool LockRegistry::isValid(const Lock* lock) const
{
    if (!lock)
        return false;
    std::lock_guard guard(m_own);
    return std::any_of(m_locks.begin(), m_locks.end(), [&](const auto& p) { return p.get() == lock; });
}

void LockRegistry::enterLock(Lock* lock)
{
    if (isValid(lock))
        lock->lock();
}

void LockRegistry::leaveLock(Lock* lock)
{
    if (isValid(lock))
        lock->unlock();
}

std::size_t LockRegistry::count() const
{
    std::lock_guard guard(m_own);
    return m_locks.size();
}

} // namespace zorvane
