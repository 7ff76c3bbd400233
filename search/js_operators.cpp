#include <cmath>
#include <limits>

#include "search/js_source.h"
#include "search/js_values.h"

// The operators the paging arithmetic applies to the page's values: quoted
// arguments stay strings there, so + and >= follow their string rules.
namespace zorvane {

namespace {

bool isDigitIn(char c, int radix)
{
    const int d = (c >= '0' && c <= '9')                     ? c - '0'
                  : ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') ? (c | 0x20) - 'a' + 10
                                                             : 99;
    return d < radix;
}

// UTF-16 code units of UTF-8 text, the units JavaScript compares strings by.
std::u16string utf16Units(std::string_view text)
{
    std::u16string units;
    units.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = std::min(utf8Length(text[i]), text.size() - i);
        std::uint32_t cp = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        if (cp >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return units;
}

} // namespace

std::string jsToString(const JsValue& value)
{
    switch (value.type) {
    case JsValue::Type::Undefined:
        return "undefined";
    case JsValue::Type::Null:
        return "null";
    case JsValue::Type::Boolean:
        return value.boolean ? "true" : "false";
    case JsValue::Type::Number:
        return jsNumberToString(value.number);
    case JsValue::Type::String:
        return value.text;
    }
    return {};
}

double jsParseInt(std::string_view text)
{
    std::size_t pos = 0;
    while (std::size_t n = jsWhiteAt(text, pos))
        pos += n;
    double sign = 1;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        sign = text[pos] == '-' ? -1 : 1;
        ++pos;
    }
    int radix = 10;
    if (text.substr(pos, 2) == "0x" || text.substr(pos, 2) == "0X") {
        radix = 16;
        pos += 2;
    }
    std::size_t end = pos;
    while (end < text.size() && isDigitIn(text[end], radix))
        ++end;
    if (end == pos)
        return std::numeric_limits<double>::quiet_NaN();
    const std::string_view digits = text.substr(pos, end - pos);
    return sign * (radix == 10 ? jsDecimalValue(digits) : jsRadixValue(digits, radix));
}

JsValue jsAdd(const JsValue& a, const JsValue& b)
{
    if (a.type == JsValue::Type::String || b.type == JsValue::Type::String)
        return JsValue::fromString(jsToString(a) + jsToString(b));
    return JsValue::fromNumber(jsToNumber(a) + jsToNumber(b));
}

bool jsGreaterOrEqual(const JsValue& a, const JsValue& b)
{
    if (a.type == JsValue::Type::String && b.type == JsValue::Type::String)
        return utf16Units(a.text) >= utf16Units(b.text);
    // False when either is NaN.
    return jsToNumber(a) >= jsToNumber(b);
}

} // namespace zorvane
