#include "web/cookies.h"

#include <algorithm>
#include <unordered_set>

#include "base/text.h"
#include "web/text_items.h"

namespace zorvane {

namespace {

constexpr std::string_view kEntrySeparator = "; ";

void dropTrailingSeparator(std::string& text)
{
    text.resize(text.size() >= kEntrySeparator.size() ? text.size() - kEntrySeparator.size() : 0);
}

} // namespace

std::string collectResponseCookies(std::string_view headerText)
{
    std::string cookies;
    for (const std::string& line : splitText(headerText, "\r\n")) {
        if (line.find("Set-Cookie") == std::string::npos)
            continue;
        // Attributes such as path and expiry follow the first ";".
        if (line.find(';') != std::string::npos)
            cookies += trimSpaces(textBetween(line, "Set-Cookie:", ";"));
        else
            cookies += trimSpaces(replaceAllNoCase(line, "Set-Cookie:", ""));
        cookies += kEntrySeparator;
    }
    dropTrailingSeparator(cookies);
    return cookies;
}

std::string joinCookieLines(std::string_view text)
{
    if (text.find_first_of("\r\n") == std::string_view::npos)
        return std::string(text);
    std::string joined;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        std::string line = trimSpaces(text.substr(start, end - start));
        const std::size_t first = line.find_first_not_of(';');
        const std::size_t last = line.find_last_not_of(';');
        line = first == std::string::npos ? std::string() : trimSpaces(line.substr(first, last - first + 1));
        if (!line.empty()) {
            if (!joined.empty())
                joined += kEntrySeparator;
            joined += line;
        }
        start = end + 1;
    }
    return joined;
}

std::string mergeCookieText(std::string& oldCookie, std::string& newCookie)
{
    // A pasted cookie often ends in a line break; inside one entry it would
    // end the request head on the wire.
    oldCookie = removeSpaces(joinCookieLines(oldCookie));
    newCookie = removeSpaces(joinCookieLines(newCookie));
    std::vector<std::string> merged = splitText(newCookie, ";");
    // The names merged so far, kept in a set: a shop may set thousands of
    // cookies, and a search of the list for every entry was quadratic.
    std::unordered_set<std::string> names;
    for (const std::string& entry : merged)
        names.insert(cookieEntryName(entry));
    // merged grows as it goes, so of several old entries with one name only
    // the first gets in.
    for (std::string& entry : splitText(oldCookie, ";")) {
        if (names.insert(cookieEntryName(entry)).second)
            merged.push_back(std::move(entry));
    }
    std::string joined;
    for (const std::string& entry : merged) {
        if (endsWith(entry, "=deleted"))
            continue;
        joined += entry;
        joined += kEntrySeparator;
    }
    dropTrailingSeparator(joined);
    oldCookie = removeDuplicateItems(joined, kEntrySeparator);
    return oldCookie;
}

std::string cookieEntryName(std::string_view entry)
{
    return trimSpaces(entry.substr(0, entry.find('=')));
}

bool hasCookieNamed(const std::vector<std::string>& entries, std::string_view name)
{
    for (const std::string& entry : entries) {
        if (cookieEntryName(entry) == name)
            return true;
    }
    return false;
}

} // namespace zorvane
