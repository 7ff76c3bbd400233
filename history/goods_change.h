#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorvane {

// How a goods item's price stands against its last sighting in an earlier
// walk of the same coupon.
enum class ChangeKind
{
    Added,    // never seen before
    Cheaper,  // the price went down
    Dearer,   // the price went up
    Unchanged // same price (to the cent)
};

struct PriceChange
{
    ChangeKind kind = ChangeKind::Added;
    std::int64_t cents = 0; // the size of the move, never negative

    bool operator==(const PriceChange&) const = default;
};

// The change from lastPrice (none = never seen) to price, compared in cents.
PriceChange comparePrice(double price, std::optional<double> lastPrice);

// The window's text for a change: "新", "降¥x.xx", "涨¥x.xx", or "" when the
// price stayed.
std::string changeText(const PriceChange& change);

// A machine-readable name: "new", "cheaper", "dearer" or "unchanged".
const char* changeKindName(ChangeKind kind);

} // namespace zorvane
