#pragma once

#include <string>

namespace zorvane {

// The search's inputs and the position it reached.
struct SearchParams
{
    std::string goodsAddress;    // usable goods address, spaces trimmed
    int pageInterval = 0;        // milliseconds between pages, never negative
    int pageLimit = 0;           // pages to search, 0 = no limit
    std::string extraHeaders;    // after a walk: the completed header text sent
    std::string cookie;          // after a walk: merged with the shop's cookies
    std::string nextPageAddress; // "" = the next start begins afresh
    int pagesDone = 0;
    int retryLimit = 0; // failures in a row of one page before the walk pauses itself, 0 = no limit

    bool operator==(const SearchParams&) const = default;
};

} // namespace zorvane
