#pragma once

#include <string>
#include <vector>

namespace zorvane {

// What the filter lets through: every ticked tag, and a price within the bounds.
struct FilterCriteria
{
    std::vector<std::string> tickedTags; // ticked tag rows, top to bottom
    int tickedTagCount = 0;
    double minPrice = 0; // rounded to 2 decimals
    int hasMinPrice = 0;
    double maxPrice = 0;
    int hasMaxPrice = 0;
    bool onlyNewOrCheaper = false; // only goods never seen before or cheaper than last time
};

} // namespace zorvane
