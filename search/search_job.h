#pragma once

#include <optional>
#include <string>

#include "core/search_params.h"
#include "core/walk_events.h"
#include "search/search_thread.h"
#include "web/curl_handle.h"

namespace zorvane {

// What the search thread owns for its whole life: the prefix of its log lines,
// its private copy of the search parameters, what its pages decided about its
// end, and its one connection to the shop, kept open from page to page
// (libcurl opens it again when it broke).
struct SearchJob
{
    std::string logPrefix = kSearchLogPrefix;
    SearchParams params;
    std::optional<WalkEndReason> ending; // a page ended the walk (coupon expired, login page)
    bool pausedItself = false;           // a page asked for a pause
    bool endAtLastingFailure = false;    // see WalkJob
    std::string lastingFailure;          // the cause of a LastingFailure ending
    int place = 0;                       // goods stored so far from the page in hand
    CurlHandle connection;
};

} // namespace zorvane
