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
        return {ChangeKind::Added, 0};
    const std::int64_t delta = toCents(price) - toCents(*lastPrice);
    if (delta < 0)
        return {ChangeKind::Cheaper, -delta};
    if (delta > 0)
        return {ChangeKind::Dearer, delta};
    return {ChangeKind::Unchanged, 0};
}

std::string changeText(const PriceChange& change)
{
    switch (change.kind) {
    case ChangeKind::Added:
        return "新";
    case ChangeKind::Cheaper:
        return "降" + yuan(change.cents);
    case ChangeKind::Dearer:
        return "涨" + yuan(change.cents);
    case ChangeKind::Unchanged:
        break;
    }
    return "";
}

const char* changeKindName(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::Added:
        return "new";
    case ChangeKind::Cheaper:
        return "cheaper";
    case ChangeKind::Dearer:
        return "dearer";
    case ChangeKind::Unchanged:
        break;
    }
    return "unchanged";
}

} // namespace zorvane
