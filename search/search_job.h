#pragma once

#include <string>

#include "core/search_params.h"

namespace zorvane {

// What the search thread owns for its whole life: the prefix of its log lines
// and its private copy of the search parameters.
struct SearchJob
{
    std::string logPrefix = "搜索线程：";
    SearchParams params;
};

} // namespace zorvane
