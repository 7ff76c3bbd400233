#pragma once

#include <string>
#include <string_view>

#include "base/owner_lock.h"

namespace zorvane {

// The log text not yet shown. Any thread; never blocks beyond the append.
class LogBuffer final
{
public:
    void append(std::string_view lines);
    // The pending text, leaving none.
    std::string take();

private:
    friend struct AppState;

    OwnerLock m_lock;
    std::string m_text;
};

} // namespace zorvane
