#include "goods/display_text.h"

#include <cstdint>

#include "base/text.h"

namespace zorvane {

namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A '<' opens markup only when a tag name, an end tag, a comment or a
// declaration follows; "a < b" stays text.
bool opensMarkup(std::string_view text, std::size_t pos)
{
    if (pos + 1 >= text.size())
        return false;
    const char next = text[pos + 1];
    return isAsciiLetter(next) || next == '/' || next == '!' || next == '?';
}

// Line breaks and block tags separate words; inline tags such as the
// shop's highlight <font> sit inside a word.
bool separatesWords(std::string_view tag)
{
    std::size_t begin = tag.size() > 1 && tag[1] == '/' ? 2 : 1;
    std::size_t end = begin;
    while (end < tag.size() && isAsciiLetter(tag[end]))
        ++end;
    std::string name;
    for (char c : tag.substr(begin, end - begin))
        name.push_back(static_cast<char>(c | 0x20));
    return name == "br" || name == "p" || name == "div" || name == "li";
}

std::string stripMarkup(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '<' || !opensMarkup(text, i)) {
            out.push_back(text[i++]);
            continue;
        }
        const bool comment = text.substr(i, 4) == "<!--";
        const std::size_t end = comment ? text.find("-->", i + 4) : text.find('>', i + 1);
        if (end == std::string_view::npos)
            break; // markup cut off at the end of the text
        if (!comment && separatesWords(text.substr(i, end - i)))
            out.push_back(' ');
        i = end + (comment ? 3 : 1);
    }
    return out;
}

// The code point of "#NN" or "#xNN" (without '&' and ';'), or -1.
long numericReference(std::string_view body)
{
    if (body.size() < 2 || body[0] != '#')
        return -1;
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return -1;
    long value = 0;
    for (char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            return -1;
        value = value * (hex ? 16 : 10) + d;
    }
    return value;
}

// The code point an entity body (between '&' and ';') stands for, or -1.
long entityValue(std::string_view body)
{
    struct Named
    {
        std::string_view name;
        long value;
    };
    static constexpr Named kNamed[] = {{"amp", '&'},  {"lt", '<'},    {"gt", '>'},
                                       {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
    for (const Named& n : kNamed) {
        if (body == n.name)
            return n.value;
    }
    return numericReference(body);
}

std::string decodeEntities(std::string_view text)
{
    constexpr std::size_t kLongestEntity = 12; // "&#x0010FFFF;"
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t semi = text[i] == '&' ? text.find(';', i + 1) : std::string_view::npos;
        const long cp = semi != std::string_view::npos && semi - i <= kLongestEntity
                            ? entityValue(text.substr(i + 1, semi - i - 1))
                            : -1;
        if (cp < 0) {
            out.push_back(text[i++]);
            continue;
        }
        const bool valid = cp > 0 && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        appendUtf8(out, valid ? static_cast<std::uint32_t>(cp) : 0xFFFD);
        i = semi + 1;
    }
    return out;
}

// Length of the white space at pos (ASCII controls and blanks, U+00A0,
// U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000), 0 when none.
std::size_t whiteSpaceAt(std::string_view t, std::size_t pos)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(t[pos + k]); };
    const std::size_t left = t.size() - pos;
    if (byte(0) <= 0x20 || byte(0) == 0x7F)
        return 1;
    if (left >= 2 && byte(0) == 0xC2 && byte(1) == 0xA0)
        return 2;
    if (left < 3)
        return 0;
    if (byte(0) == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80)
        return 3;
    if (byte(0) == 0xE2 && byte(1) == 0x80 &&
        (byte(2) <= 0x8A || byte(2) == 0xA8 || byte(2) == 0xA9 || byte(2) == 0xAF))
        return 3;
    if (byte(0) == 0xE2 && byte(1) == 0x81 && byte(2) == 0x9F)
        return 3;
    return 0;
}

std::string collapseWhiteSpace(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool pendingSpace = false;
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t n = whiteSpaceAt(text, i)) {
            pendingSpace = !out.empty();
            i += n;
            continue;
        }
        if (pendingSpace)
            out.push_back(' ');
        pendingSpace = false;
        out.push_back(text[i++]);
    }
    return out;
}

} // namespace

std::string displayText(std::string_view raw)
{
    return collapseWhiteSpace(decodeEntities(stripMarkup(raw)));
}

} // namespace zorvane
