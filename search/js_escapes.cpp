#include <algorithm>
#include <optional>

#include "base/text.h"
#include "search/js_source.h"
#include "search/js_values.h"

namespace zorvane {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHex(char c)
{
    return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

// The value of count hex digits at from; nothing when one is missing or foreign.
std::optional<std::uint32_t> hexRun(std::string_view text, std::size_t from, std::size_t count)
{
    if (from + count > text.size())
        return std::nullopt;
    std::uint32_t v = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (!isHex(text[i]))
            return std::nullopt;
        v = v * 16 +
            static_cast<std::uint32_t>(isDigit(text[i]) ? text[i] - '0' : (text[i] | 0x20) - 'a' + 10);
    }
    return v;
}

// \xHH, \uHHHH and \u{H...}; pos stands on the x or u.
bool readHexEscape(std::string_view text, std::size_t& pos, JsStringBuilder& out)
{
    if (text[pos] == 'u' && pos + 1 < text.size() && text[pos + 1] == '{') {
        const std::size_t close = text.find('}', pos + 2);
        if (close == std::string_view::npos || close == pos + 2 || close - pos - 2 > 8)
            return false;
        const auto v = hexRun(text, pos + 2, close - pos - 2);
        if (!v || *v > 0x10FFFF)
            return false;
        out.codePoint(*v);
        pos = close + 1;
        return true;
    }
    const std::size_t digits = text[pos] == 'x' ? 2 : 4;
    const auto v = hexRun(text, pos + 1, digits);
    if (!v)
        return false;
    out.unit(*v);
    pos += 1 + digits;
    return true;
}

} // namespace

std::size_t utf8Length(char lead)
{
    auto b = static_cast<unsigned char>(lead);
    return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

void JsStringBuilder::unit(std::uint32_t u)
{
    if (u >= 0xDC00 && u <= 0xDFFF && m_high) {
        appendUtf8(m_out, 0x10000 + ((m_high - 0xD800) << 10) + (u - 0xDC00));
        m_high = 0;
        return;
    }
    flush();
    if (u >= 0xD800 && u <= 0xDBFF)
        m_high = u;
    else
        codePoint(u);
}

void JsStringBuilder::codePoint(std::uint32_t cp)
{
    flush();
    appendUtf8(m_out, (cp >= 0xD800 && cp <= 0xDFFF) ? 0xFFFD : cp);
}

void JsStringBuilder::raw(std::string_view bytes)
{
    flush();
    m_out.append(bytes);
}

std::string JsStringBuilder::take()
{
    flush();
    return std::move(m_out);
}

void JsStringBuilder::flush()
{
    if (m_high)
        appendUtf8(m_out, 0xFFFD);
    m_high = 0;
}

bool readJsEscape(std::string_view text, std::size_t& pos, JsStringBuilder& out)
{
    static constexpr std::string_view kNamed = "bfnrtv";
    static constexpr std::string_view kNamedValues = "\b\f\n\r\t\v";
    if (pos >= text.size())
        return false;
    const char c = text[pos];
    if (const std::size_t named = kNamed.find(c); named != std::string_view::npos) {
        out.unit(static_cast<unsigned char>(kNamedValues[named]));
        ++pos;
        return true;
    }
    if (c == 'x' || c == 'u')
        return readHexEscape(text, pos, out);
    if (isOctal(c)) {
        // Legacy octal escapes: up to three digits, at most \377.
        const std::size_t maxDigits = c <= '3' ? 3 : 2;
        std::uint32_t v = 0;
        std::size_t n = 0;
        while (n < maxDigits && pos + n < text.size() && isOctal(text[pos + n]))
            v = v * 8 + static_cast<std::uint32_t>(text[pos + n++] - '0');
        out.unit(v);
        pos += n;
        return true;
    }
    // A line continuation adds nothing.
    const std::string_view rest = text.substr(pos);
    for (std::string_view lineEnd : {"\r\n", "\n", "\r", "\xE2\x80\xA8", "\xE2\x80\xA9"}) {
        if (rest.starts_with(lineEnd)) {
            pos += lineEnd.size();
            return true;
        }
    }
    // Any other character stands for itself.
    const std::size_t len = std::min(utf8Length(c), text.size() - pos);
    out.raw(text.substr(pos, len));
    pos += len;
    return true;
}

std::string decodeJsEscapes(std::string_view body)
{
    JsStringBuilder out;
    std::size_t pos = 0;
    while (pos < body.size()) {
        std::size_t backslash = body.find('\\', pos);
        if (backslash == std::string_view::npos) {
            out.raw(body.substr(pos));
            break;
        }
        out.raw(body.substr(pos, backslash - pos));
        pos = backslash + 1;
        if (!readJsEscape(body, pos, out)) {
            out.raw("\\"); // malformed: keep it as written
        }
    }
    return out.take();
}

} // namespace zorvane
