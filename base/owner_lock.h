#pragma once

#include <mutex>

namespace zorvane {

// The lock of one state owner. The program's locks come from its
// LockRegistry, whose creation is a start-up step that may fail (see
// AppState::createLocks); an owner made on its own, or before that step,
// uses a lock of its own.
class OwnerLock final
{
public:
    std::mutex& get() { return m_registered ? *m_registered : m_own; }
    void useRegistered(std::mutex* lock) { m_registered = lock; }

private:
    std::mutex m_own;
    std::mutex* m_registered = nullptr;
};

} // namespace zorvane
