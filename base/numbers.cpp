#include "base/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace zorvane {

double round2(double x)
{
    if (x == 0 || !std::isfinite(x))
        return x;
    double a = std::fabs(x) * 100 + 1e-12;
    double whole = std::floor(a);
    if (a - whole >= 0.5)
        whole += 1;
    return std::copysign(whole / 100, x);
}

std::string formatNumber(double value)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    std::array<char, 64> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::general, 13);
    return std::string(buf.data(), res.ptr);
}

namespace {

bool isWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::size_t decimalLiteralLength(std::string_view text)
{
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

double parseNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isWhite(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t numStart = i;
    const std::size_t length = decimalLiteralLength(text.substr(numStart));
    if (length == 0)
        return 0;
    const std::size_t end = numStart + length;
    double value = 0;
    auto res = std::from_chars(text.data() + numStart, text.data() + end, value);
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow; strtod gives HUGE_VAL or 0.
        bool tiny = false;
        for (std::size_t k = numStart; k < end; ++k) {
            if (text[k] == 'e' || text[k] == 'E') {
                tiny = k + 1 < end && text[k + 1] == '-';
                break;
            }
        }
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

long long parseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isWhite(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr long long kMax = std::numeric_limits<long long>::max();
    unsigned long long value = 0;
    bool saturated = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        unsigned d = static_cast<unsigned>(text[i] - '0');
        if (value > (static_cast<unsigned long long>(kMax) + 1 - d) / 10) {
            saturated = true;
            break;
        }
        value = value * 10 + d;
    }
    if (saturated)
        return negative ? std::numeric_limits<long long>::min() : kMax;
    if (negative)
        return value > static_cast<unsigned long long>(kMax) ? std::numeric_limits<long long>::min()
                                                             : -static_cast<long long>(value);
    return value > static_cast<unsigned long long>(kMax) ? kMax : static_cast<long long>(value);
}

} // namespace zorvane
