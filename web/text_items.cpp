#include "web/text_items.h"

#include <unordered_set>

#include "base/text.h"

namespace zorvane {

std::string replaceAllNoCase(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t at; (at = findNoCase(text, from, start)) != std::string_view::npos;
         start = at + from.size()) {
        out.append(text.substr(start, at - start));
        out.append(to);
    }
    out.append(text.substr(start));
    return out;
}

int indexOfItem(const std::vector<std::string>& items, std::string_view text)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text)
            return static_cast<int>(i) + 1;
    }
    return -1;
}

std::string removeDuplicateItems(std::string_view text, std::string_view separator)
{
    // A set, not a list: cookie texts may hold thousands of items.
    std::unordered_set<std::string> seen;
    std::string out;
    for (std::string& piece : splitText(text, separator)) {
        if (seen.count(piece) != 0)
            continue;
        out += piece;
        out += separator;
        seen.insert(std::move(piece));
    }
    out.resize(out.size() >= separator.size() ? out.size() - separator.size() : 0);
    return out;
}

std::string textBetween(std::string_view text, std::string_view left, std::string_view right, int start,
                        bool caseInsensitive)
{
    static constexpr std::string_view kQuotePlaceholder = "#引号";
    const std::string leftMarker = replaceAll(left, kQuotePlaceholder, "\"");
    const std::string rightMarker = replaceAll(right, kQuotePlaceholder, "\"");
    if (leftMarker.empty() || rightMarker.empty())
        return {};
    std::size_t from = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
    if (from > text.size())
        return {};
    auto find = [&](const std::string& marker, std::size_t at) {
        return caseInsensitive ? findNoCase(text, marker, at) : text.find(marker, at);
    };
    std::size_t leftAt = find(leftMarker, from);
    if (leftAt == std::string_view::npos)
        return {};
    std::size_t inner = leftAt + leftMarker.size();
    std::size_t rightAt = find(rightMarker, inner);
    if (rightAt == std::string_view::npos)
        return {};
    return std::string(text.substr(inner, rightAt - inner));
}

} // namespace zorvane
