#include "bench/process_memory.h"

#include <fstream>
#include <string>

namespace zorvane::bench {

long processStatusKiB(std::string_view key)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    while (status >> name) {
        long value = 0;
        if (name == key && status >> value)
            return value;
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

} // namespace zorvane::bench
