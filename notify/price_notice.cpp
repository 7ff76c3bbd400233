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
// its continuation bytes).
std::string firstChars(const std::string& text, std::size_t count)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool lead = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (lead && chars++ == count)
            return text.substr(0, i);
    }
    return text;
}

std::string shortName(const SightingChange& item)
{
    return firstChars(displayText(item.goods.name), kNameChars);
}

std::string summaryOf(std::size_t drops, std::size_t added)
{
    std::string summary;
    if (drops > 0)
        summary = std::to_string(drops) + "件降价";
    if (drops > 0 && added > 0)
        summary += "，";
    if (added > 0)
        summary += std::to_string(added) + "件新品";
    return summary;
}

} // namespace

std::optional<DesktopNotice> priceNotice(const std::vector<SightingChange>& items, const WatchRule& rule)
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
    return DesktopNotice{"Zorvane", "org.zorvane.Zorvane", summaryOf(drops.size(), added.size()), body};
}

} // namespace zorvane
