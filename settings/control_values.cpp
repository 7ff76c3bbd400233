#include "settings/control_values.h"

#include <cmath>
#include <limits>

#include "base/numbers.h"
#include "base/text.h"

namespace zorvane {

namespace {

constexpr std::string_view kLineBreakMark = "><br><";
constexpr std::string_view kItemSeparator = "<||>";
constexpr std::string_view kFieldSeparator = "<|>";

// A leading decimal number, truncated towards zero and kept within T's range.
template <typename T> T truncatedNumber(std::string_view text)
{
    double value = std::trunc(parseNumber(text));
    if (value <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    // The max of a 64-bit type is no double; compare with max + 1 = -min instead.
    if (value >= -static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(value);
}

struct PieceParts
{
    std::string_view before; // before the first field separator
    std::string_view after;  // after the last one
};

PieceParts partsOf(std::string_view piece)
{
    std::size_t first = piece.find(kFieldSeparator);
    if (first == std::string_view::npos)
        return {};
    std::size_t last = piece.rfind(kFieldSeparator);
    return {piece.substr(0, first), piece.substr(last + kFieldSeparator.size())};
}

// Reads "<digits><unit>" from the front of s.
bool readDatePart(std::string_view& s, std::string_view unit, int& out)
{
    std::size_t i = 0;
    int value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        if (value > 99999)
            return false;
        value = value * 10 + (s[i] - '0');
    }
    if (i == 0 || !startsWith(s.substr(i), unit))
        return false;
    out = value;
    s.remove_prefix(i + unit.size());
    return true;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool isValidDate(const DateTime& d)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.year < 100 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1)
        return false;
    int days = kDays[d.month - 1] + (d.month == 2 && isLeapYear(d.year) ? 1 : 0);
    return d.day <= days && d.hour < 24 && d.minute < 60 && d.second < 60;
}

// The time part: "12时30分15秒", "12时30分", "12时" or nothing.
bool readTime(std::string_view& s, DateTime& d)
{
    if (s.empty())
        return true;
    if (!readDatePart(s, "时", d.hour))
        return false;
    if (s.empty())
        return true;
    if (!readDatePart(s, "分", d.minute))
        return false;
    return s.empty() || readDatePart(s, "秒", d.second);
}

} // namespace

std::string encodeEditText(std::string_view text)
{
    std::string value;
    value.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        if (text[i] == '\r' || text[i] == '\n')
            value += kLineBreakMark;
        else
            value += text[i];
    }
    return value;
}

std::string decodeEditText(std::string_view value)
{
    return replaceAll(value, kLineBreakMark, "\r\n");
}

std::string encodeTicked(bool ticked)
{
    return ticked ? "真" : "假";
}

bool decodeTicked(std::string_view value)
{
    return value != "假";
}

std::string encodeCombo(const ComboState& combo)
{
    std::string value;
    for (const auto& [text, data] : combo.items) {
        value += text;
        value += kFieldSeparator;
        value += std::to_string(data);
        value += kItemSeparator;
    }
    value += std::to_string(combo.currentIndex);
    value += kFieldSeparator;
    value += combo.editText;
    return value;
}

ComboState decodeCombo(std::string_view value)
{
    ComboState combo;
    std::vector<std::string> pieces = splitText(value, kItemSeparator);
    if (pieces.empty())
        return combo;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        PieceParts parts = partsOf(pieces[i]);
        combo.items.emplace_back(std::string(parts.before), truncatedNumber<long long>(parts.after));
    }
    PieceParts last = partsOf(pieces.back());
    combo.currentIndex = truncatedNumber<int>(last.before);
    combo.editText = std::string(last.after);
    return combo;
}

std::string encodeDate(const DateTime& date)
{
    std::string value = std::to_string(date.year) + "年" + std::to_string(date.month) + "月" +
                        std::to_string(date.day) + "日";
    if (date.second != 0)
        return value + std::to_string(date.hour) + "时" + std::to_string(date.minute) + "分" +
               std::to_string(date.second) + "秒";
    if (date.minute != 0)
        return value + std::to_string(date.hour) + "时" + std::to_string(date.minute) + "分";
    if (date.hour != 0)
        return value + std::to_string(date.hour) + "时";
    return value;
}

DateTime decodeDate(std::string_view value)
{
    std::string trimmed = trimSpaces(value);
    std::string_view s = trimmed;
    DateTime date;
    if (!readDatePart(s, "年", date.year) || !readDatePart(s, "月", date.month) ||
        !readDatePart(s, "日", date.day) || !readTime(s, date) || !s.empty() || !isValidDate(date))
        return {};
    return date;
}

bool isExcluded(std::string_view name, std::string_view exclusionList)
{
    return !name.empty() && exclusionList.find(name) != std::string_view::npos;
}

} // namespace zorvane
