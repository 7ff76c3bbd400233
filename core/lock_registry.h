#pragma once

#include <memory>
#include <mutex>
#include <vector>

namespace zorvane {

// Owns the program's locks. createLock may fail (returns nullptr), which the
// start-up turns into a message and the end of the program.
class LockRegistry final
{
public:
    using Lock = std::mutex;

    LockRegistry() = default;
    ~LockRegistry() = default;
    LockRegistry(const LockRegistry&) = delete;
    LockRegistry& operator=(const LockRegistry&) = delete;

    Lock* createLock();
    bool deleteLock(Lock* lock);
    void deleteAll();
    bool isValid(const Lock* lock) const;
    void enterLock(Lock* lock);
    void leaveLock(Lock* lock);
    std::size_t count() const;

    // Tests make the n-th (0-based) future createLock fail; -1 = never.
    void failCreationAt(int index) { m_failAt = index; }

private:
    mutable std::mutex m_own;
    std::vector<std::unique_ptr<Lock>> m_locks;
    int m_created = 0;
    int m_failAt = -1;
};

} // namespace zorvane
