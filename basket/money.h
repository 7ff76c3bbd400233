#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane::basket {

// Money in whole cents: sums of prices must come out exact, which binary
// fractions of a yuan cannot promise.
using Cents = std::int64_t;

// The largest sum the solver accepts as a price, threshold or discount
// (ten million yuan): far above any basket, and its bitsets stay addressable.
inline constexpr Cents kMaxCents = 1'000'000'000;

// Reads yuan as typed or as the goods list writes prices: digits with at most
// two decimals ("12", "12.5", "12.50", ".5"). Nothing for anything else
// (signs, exponents, a third decimal, more than kMaxCents).
std::optional<Cents> parseYuan(std::string_view text);

// True for a sum written as parseYuan reads them that is more than kMaxCents.
bool yuanAboveLimit(std::string_view text);

// A price the window or the history holds as a double that was rounded to
// cents: the nearest cent. Nothing when it is no finite price in range.
std::optional<Cents> centsOfPrice(double price);

// "12.50": yuan with two decimals.
std::string yuanText(Cents cents);

// The value as a JSON number would carry it (12.5 for 1250 cents).
double yuanValue(Cents cents);

} // namespace zorvane::basket
