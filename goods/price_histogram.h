#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zorvane {

// Prices counted in bars of one width. Bars are whole cents wide, so every
// price (rounded to 2 decimals) falls in exactly one bar.
struct PriceHistogram
{
    std::int64_t startCents = 0; // the first bar's lowest price
    std::int64_t widthCents = 0; // 1, 2 or 5 × 10^k cents
    std::vector<std::int64_t> counts;

    // The lowest and the highest price (to the cent) a bar holds.
    double lowestPrice(int bar) const;
    double highestPrice(int bar) const;

    bool operator==(const PriceHistogram&) const = default;
};

// The prices in bars of the nice width (1, 2 or 5 × 10^k cents) whose count
// comes closest to targetBars, the first bar starting at a multiple of the
// width. No bars for no prices; one price or many equal ones take the width
// that suits their size.
PriceHistogram binPrices(std::span<const double> prices, int targetBars = 20);

} // namespace zorvane
