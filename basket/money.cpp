#include "basket/money.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zorvane::basket {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Yuan as parseYuan reads them, without the upper limit: any sum above it
// reads as kMaxCents + 1, however many digits it has.
std::optional<Cents> unboundedYuan(std::string_view text)
{
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || fraction.size() > 2)
        return std::nullopt;
    Cents yuan = 0;
    for (char c : whole) {
        if (!isDigit(c))
            return std::nullopt;
        yuan = std::min<Cents>(yuan * 10 + (c - '0'), kMaxCents);
    }
    Cents cents = 0;
    for (std::size_t i = 0; i < 2; ++i) {
        const char c = i < fraction.size() ? fraction[i] : '0';
        if (!isDigit(c))
            return std::nullopt;
        cents = cents * 10 + (c - '0');
    }
    return std::min(yuan * 100 + cents, kMaxCents + 1);
}

} // namespace

std::optional<Cents> parseYuan(std::string_view text)
{
    const std::optional<Cents> total = unboundedYuan(text);
    if (!total || *total > kMaxCents)
        return std::nullopt;
    return total;
}

bool yuanAboveLimit(std::string_view text)
{
    const std::optional<Cents> total = unboundedYuan(text);
    return total && *total > kMaxCents;
}

std::optional<Cents> centsOfPrice(double price)
{
    if (!std::isfinite(price) || price < 0 || price * 100.0 > static_cast<double>(kMaxCents))
        return std::nullopt;
    return static_cast<Cents>(std::llround(price * 100.0));
}

std::string yuanText(Cents cents)
{
    const char* sign = cents < 0 ? "-" : "";
    const Cents magnitude = cents < 0 ? -cents : cents;
    char text[40];
    std::snprintf(text, sizeof text, "%s%lld.%02lld", sign, static_cast<long long>(magnitude / 100),
                  static_cast<long long>(magnitude % 100));
    return text;
}

double yuanValue(Cents cents)
{
    // Division by 100 gives the double nearest the decimal value, so that a
    // reader sees "12.5" and never "12.499999".
    return static_cast<double>(cents) / 100.0;
}

} // namespace zorvane::basket
