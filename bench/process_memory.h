#pragma once

#include <string_view>

namespace zorvane::bench {

// A figure of /proc/self/status in KiB, such as "VmRSS:" (resident now) or
// "VmHWM:" (the peak); 0 when it cannot be read.
long processStatusKiB(std::string_view key);

} // namespace zorvane::bench
