#pragma once

#include <string>

#include "core/search_params.h"
#include "web/curl_handle.h"

namespace zorvane {

// What the search thread owns for its whole life: the prefix of its log lines,
// its private copy of the search parameters and its one connection to the
// shop, kept open from page to page (libcurl opens it again when it broke).
struct SearchJob
{
    std::string logPrefix = "搜索线程：";
    SearchParams params;
    CurlHandle connection;
};

} // namespace zorvane
