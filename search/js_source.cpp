#include "search/js_source.h"

#include <array>

namespace zorvane {

namespace {

// White space and line terminators beyond ASCII, as UTF-8.
constexpr std::array<std::string_view, 18> kWideWhite = {
    "\xC2\xA0",     "\xEF\xBB\xBF", "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82",
    "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88",
    "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80", "\xE2\x80\xA8",
};
constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";

bool isAsciiWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

std::size_t jsWhiteAt(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return 0;
    if (isAsciiWhite(text[pos]))
        return 1;
    if (static_cast<unsigned char>(text[pos]) < 0x80)
        return 0;
    std::string_view rest = text.substr(pos);
    for (std::string_view white : kWideWhite) {
        if (rest.substr(0, white.size()) == white)
            return white.size();
    }
    if (rest.substr(0, kParagraphSeparator.size()) == kParagraphSeparator)
        return kParagraphSeparator.size();
    return 0;
}

std::size_t jsWhiteBefore(std::string_view text)
{
    if (text.empty())
        return 0;
    if (isAsciiWhite(text.back()))
        return 1;
    for (std::size_t n : {std::size_t{2}, std::size_t{3}}) {
        if (text.size() >= n && jsWhiteAt(text, text.size() - n) == n)
            return n;
    }
    return 0;
}

} // namespace zorvane
