#include "notify/price_notice.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "goods/display_text.h"

namespace zorvane {

namespace {

// A notice shows a handful of lines; the rest is a count.
constexpr std::size_t kBodyLines = 5;
constexpr std::size_t kNameChars = 30;

std::string yuan(double price)
{
    char text[40];
    std::snprintf(text, sizeof text, "¥%.2f", price);
    return text;
}

// The first count characters of UTF-8 text (a character is a lead byte and
// its continuation bytes), the last of them "…" when the text goes on.
std::string firstChars(const std::string& text, std::size_t count)
{
    std::size_t chars = 0;
    std::size_t end = 0; // where the first count - 1 characters end
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool lead = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (lead && chars + 1 == count)
            end = i;
        if (lead && chars++ == count)
            return text.substr(0, end) + "…";
    }
    return text;
}

std::string yuanFigure(std::int64_t cents)
{
    char text[40];
    if (cents % 100 == 0)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(cents / 100));
    else
        std::snprintf(text, sizeof text, "%.2f", static_cast<double>(cents) / 100.0);
    return text;
}

std::string shortName(const SightingChange& item)
{
    return firstChars(displayText(item.goods.name), kNameChars);
}

std::string summaryOf(const std::string& coupon, std::size_t drops, std::size_t added)
{
    std::string summary = coupon.empty() ? "" : coupon + "：";
    if (drops > 0)
        summary += std::to_string(drops) + "件降价";
    if (drops > 0 && added > 0)
        summary += "，";
    if (added > 0)
        summary += std::to_string(added) + "件新品";
    return summary;
}

} // namespace

std::string couponName(const std::string& watchKey, const std::optional<CouponTerms>& terms)
{
    std::string name = "优惠券 " + watchKey;
    if (terms)
        name += "（满" + yuanFigure(terms->thresholdCents) + "减" + yuanFigure(terms->discountCents) + "）";
    return name;
}

std::optional<DesktopNotice> priceNotice(const std::vector<SightingChange>& items, const WatchRule& rule,
                                         const std::string& coupon)
{
    std::vector<const SightingChange*> drops;
    std::vector<const SightingChange*> added;
    for (const SightingChange& item : items) {
        if (item.change.kind == ChangeKind::Cheaper && item.change.cents >= rule.minDropCents)
            drops.push_back(&item);
        else if (item.change.kind == ChangeKind::Added && rule.countNew)
            added.push_back(&item);
    }
    if (drops.empty() && added.empty())
        return std::nullopt;
    std::stable_sort(drops.begin(), drops.end(), [](const SightingChange* a, const SightingChange* b) {
        return a->change.cents > b->change.cents;
    });
    std::vector<std::string> lines;
    for (const SightingChange* item : drops)
        lines.push_back(shortName(*item) + " " + yuan(item->lastPrice.value_or(0)) + "→" +
                        yuan(item->walkPrice));
    for (const SightingChange* item : added)
        lines.push_back(shortName(*item) + " " + yuan(item->walkPrice));
    if (lines.size() > kBodyLines) {
        const std::size_t more = lines.size() - (kBodyLines - 1);
        lines.resize(kBodyLines - 1);
        lines.push_back("…还有" + std::to_string(more) + "件");
    }
    std::string body;
    for (const std::string& line : lines)
        body += (body.empty() ? "" : "\n") + line;
    return DesktopNotice{"Zorvane", "org.zorvane.Zorvane", summaryOf(coupon, drops.size(), added.size()),
                         body};
}

} // namespace zorvane
