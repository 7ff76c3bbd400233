#include "history/goods_change.h"

#include <cmath>
#include <cstdio>

namespace zorvane {

namespace {

std::int64_t toCents(double price)
{
    return std::llround(price * 100.0);
}

std::string yuan(std::int64_t cents)
{
    char text[48];
    std::snprintf(text, sizeof text, "¥%lld.%02lld", static_cast<long long>(cents / 100),
                  static_cast<long long>(cents % 100));
    return text;
}

} // namespace

PriceChange comparePrice(double price, std::optional<double> lastPrice)
{
    if (!lastPrice)
        return {ChangeKind::added, 0};
    const std::int64_t delta = toCents(price) - toCents(*lastPrice);
    if (delta < 0)
        return {ChangeKind::cheaper, -delta};
    if (delta > 0)
        return {ChangeKind::dearer, delta};
    return {ChangeKind::unchanged, 0};
}

std::string changeText(const PriceChange& change)
{
    switch (change.kind) {
    case ChangeKind::added:
        return "新";
    case ChangeKind::cheaper:
        return "降" + yuan(change.cents);
    case ChangeKind::dearer:
        return "涨" + yuan(change.cents);
    case ChangeKind::unchanged:
        break;
    }
    return "";
}

const char* changeKindName(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::added:
        return "new";
    case ChangeKind::cheaper:
        return "cheaper";
    case ChangeKind::dearer:
        return "dearer";
    case ChangeKind::unchanged:
        break;
    }
    return "unchanged";
}

} // namespace zorvane
