#include "search/js_values.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/numbers.h"
#include "search/js_source.h"

namespace zorvane {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimJsWhite(std::string_view text)
{
    std::size_t begin = 0;
    while (std::size_t n = jsWhiteAt(text, begin))
        begin += n;
    std::size_t end = text.size();
    while (end > begin) {
        std::size_t n = jsWhiteBefore(text.substr(0, end));
        if (!n)
            break;
        end -= n;
    }
    return text.substr(begin, end - begin);
}

// StrDecimalLiteral without sign and without Infinity: digits with an
// optional fraction and exponent; at least one digit before the exponent.
bool isStrDecimal(std::string_view text)
{
    return !text.empty() && decimalLiteralLength(text) == text.size();
}

} // namespace

double jsDecimalValue(std::string_view text)
{
    double value = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Only the exponent can push a decimal literal out of range.
        std::size_t e = text.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
        return tiny ? 0.0 : kInfinity;
    }
    if (res.ec != std::errc())
        return kNaN;
    return value;
}

double jsRadixValue(std::string_view digits, int radix)
{
    if (digits.empty())
        return kNaN;
    double value = 0;
    for (char c : digits) {
        int d = isDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
        if (d < 0 || d >= radix)
            return kNaN;
        value = value * radix + d;
    }
    return value;
}

double jsStringToNumber(std::string_view text)
{
    std::string_view body = trimJsWhite(text);
    if (body.empty())
        return 0;
    if (body.size() > 2 && body[0] == '0') {
        char prefix = static_cast<char>(body[1] | 0x20);
        int radix = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 0;
        if (radix)
            return jsRadixValue(body.substr(2), radix);
    }
    double sign = 1;
    if (body[0] == '+' || body[0] == '-') {
        sign = body[0] == '-' ? -1 : 1;
        body.remove_prefix(1);
    }
    if (body == "Infinity")
        return sign * kInfinity;
    if (!isStrDecimal(body))
        return kNaN;
    return sign * jsDecimalValue(body);
}

double jsToNumber(const JsValue& value)
{
    switch (value.type) {
    case JsValue::Type::Undefined:
        return kNaN;
    case JsValue::Type::Null:
        return 0;
    case JsValue::Type::Boolean:
        return value.boolean ? 1 : 0;
    case JsValue::Type::Number:
        return value.number;
    case JsValue::Type::String:
        return jsStringToNumber(value.text);
    }
    return kNaN;
}

bool jsToBoolean(const JsValue& value)
{
    switch (value.type) {
    case JsValue::Type::Undefined:
    case JsValue::Type::Null:
        return false;
    case JsValue::Type::Boolean:
        return value.boolean;
    case JsValue::Type::Number:
        return value.number != 0 && !std::isnan(value.number);
    case JsValue::Type::String:
        return !value.text.empty();
    }
    return false;
}

std::string jsNumberToString(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (value == 0)
        return "0";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    std::string out = value < 0 ? "-" : "";
    // The shortest round-trip digits, as d.ddde±x.
    std::array<char, 64> buf{};
    auto res =
        std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value), std::chars_format::scientific);
    std::string_view sci(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    std::size_t e = sci.find('e');
    std::string digits(sci.substr(0, e));
    if (digits.size() > 1)
        digits.erase(1, 1); // the point
    int exponent = 0;
    std::string_view expText = sci.substr(e + 1);
    if (expText.front() == '+')
        expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);

    const int k = static_cast<int>(digits.size());
    const int n = exponent + 1; // the decimal point stands after n digits
    if (k <= n && n <= 21) {
        out += digits + std::string(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out +=
            digits.substr(0, static_cast<std::size_t>(n)) + "." + digits.substr(static_cast<std::size_t>(n));
    } else if (-6 < n && n <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-n), '0') + digits;
    } else {
        out += digits.substr(0, 1);
        if (k > 1)
            out += "." + digits.substr(1);
        out += (n - 1 < 0 ? "e-" : "e+") + std::to_string(std::abs(n - 1));
    }
    return out;
}

double jsParseIntOfNumber(double value)
{
    return jsParseInt(jsNumberToString(value));
}

double jsMin(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return kNaN;
    if (a == b)
        return std::signbit(a) ? a : b;
    return a < b ? a : b;
}

} // namespace zorvane
