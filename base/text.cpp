#include "base/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zorvane {

namespace {

// Length of the space at pos (1 or 3 bytes), 0 when none stands there.
std::size_t spaceAt(std::string_view text, std::size_t pos)
{
    if (text[pos] == ' ')
        return 1;
    if (text.substr(pos, kFullWidthSpace.size()) == kFullWidthSpace)
        return kFullWidthSpace.size();
    return 0;
}

bool isWhiteCodePoint(std::uint32_t cp)
{
    return (cp >= 0x09 && cp <= 0x0D) || cp == 0x20 || cp == 0x85 || cp == 0xA0 || cp == 0x1680 ||
           (cp >= 0x2000 && cp <= 0x200B) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F || cp == 0x205F ||
           cp == 0x3000 || cp == 0xFEFF;
}

// The code point of a well-formed UTF-8 sequence of one to three bytes (all
// the white space there is); 0 for anything else.
std::uint32_t codePointOf(std::string_view seq)
{
    const auto byte = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(seq[i]));
    };
    if (seq.size() == 1 && byte(0) < 0x80)
        return byte(0);
    if (seq.size() == 2 && (byte(0) & 0xE0) == 0xC0 && (byte(1) & 0xC0) == 0x80)
        return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    if (seq.size() == 3 && (byte(0) & 0xF0) == 0xE0 && (byte(1) & 0xC0) == 0x80 && (byte(2) & 0xC0) == 0x80)
        return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    return 0;
}

// Length of the white space starting at pos, 0 when none does.
std::size_t whiteSpaceAt(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 0;
    if (length == 0 || pos + length > text.size())
        return 0;
    return isWhiteCodePoint(codePointOf(text.substr(pos, length))) ? length : 0;
}

// Length of the white space ending at end, 0 when none does.
std::size_t whiteSpaceBefore(std::string_view text, std::size_t end)
{
    for (std::size_t length = 1; length <= 3 && length <= end; ++length) {
        const auto byte = static_cast<unsigned char>(text[end - length]);
        if ((byte & 0xC0) != 0x80)
            return whiteSpaceAt(text, end - length) == length ? length : 0;
    }
    return 0;
}

} // namespace

std::string removeSpaces(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (std::size_t n = spaceAt(text, i)) {
            i += n;
            continue;
        }
        out.push_back(text[i++]);
    }
    return out;
}

std::string trimSpaces(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t n = spaceAt(text, begin);
        if (!n)
            break;
        begin += n;
    }
    std::size_t end = text.size();
    while (end > begin) {
        if (text[end - 1] == ' ') {
            --end;
        } else if (end - begin >= kFullWidthSpace.size() &&
                   text.substr(end - kFullWidthSpace.size(), kFullWidthSpace.size()) == kFullWidthSpace) {
            end -= kFullWidthSpace.size();
        } else {
            break;
        }
    }
    return std::string(text.substr(begin, end - begin));
}

std::string trimWhiteSpace(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t n = whiteSpaceAt(text, begin);
        if (n == 0)
            break;
        begin += n;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t n = whiteSpaceBefore(text, end);
        if (n == 0)
            break;
        end -= n;
    }
    return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> splitText(std::string_view text, std::string_view sep)
{
    std::vector<std::string> pieces;
    if (text.empty())
        return pieces;
    if (sep.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(sep, start);
        if (at == std::string_view::npos) {
            if (start < text.size())
                pieces.emplace_back(text.substr(start));
            break;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + sep.size();
    }
    return pieces;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    if (from.empty())
        return std::string(text);
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(from, start)) != std::string_view::npos; start = at + from.size()) {
        out.append(text.substr(start, at - start));
        out.append(to);
    }
    out.append(text.substr(start));
    return out;
}

std::string toLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from)
{
    if (needle.size() > text.size())
        return std::string_view::npos;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (std::equal(needle.begin(), needle.end(), text.begin() + i,
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return i;
    }
    return std::string_view::npos;
}

std::size_t findText(std::string_view text, std::string_view needle)
{
    if (needle.empty())
        return 0;
    const void* at = memmem(text.data(), text.size(), needle.data(), needle.size());
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text.data()) : std::string_view::npos;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

namespace {

// A multi-byte sequence starting at i: the length its lead byte announces
// (0 for a byte that cannot lead) and how many of its bytes are well-formed.
struct Sequence
{
    std::size_t length;
    std::size_t valid;
};

Sequence sequenceAt(const unsigned char* s, std::size_t n, std::size_t i)
{
    const unsigned char c = s[i];
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {0, 0};
    }
    // The first continuation byte has a narrower range; the rest are 80..BF.
    std::size_t good = 1;
    while (good < len && i + good < n) {
        const unsigned char b = s[i + good];
        if (good == 1 ? (b < lo || b > hi) : (b & 0xC0) != 0x80)
            break;
        ++good;
    }
    return {len, good};
}

// Where the run of ASCII bytes from i ends: eight bytes a test while it lasts.
std::size_t asciiRunEnd(const unsigned char* s, std::size_t n, std::size_t i)
{
    for (std::uint64_t word = 0; i + 8 <= n; i += 8) {
        std::memcpy(&word, s + i, 8);
        if ((word & 0x8080808080808080ULL) != 0)
            break;
    }
    while (i < n && s[i] < 0x80)
        ++i;
    return i;
}

} // namespace

std::string sanitizeUtf8(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(bytes.size() + 16);
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t kept = 0; // the bytes before this are in out
    for (std::size_t i = asciiRunEnd(s, n, 0); i < n; i = asciiRunEnd(s, n, i)) {
        const Sequence seq = sequenceAt(s, n, i);
        if (seq.length != 0 && seq.valid == seq.length) {
            i += seq.length;
            continue;
        }
        // One replacement for the well-formed start of a broken sequence.
        out.append(bytes.substr(kept, i - kept)).append(kReplacement);
        i += seq.valid ? seq.valid : 1;
        kept = i;
    }
    out.append(bytes.substr(kept));
    return out;
}

bool isWebAddress(std::string_view address)
{
    std::string lower = toLowerAscii(address.substr(0, 8));
    std::size_t rest = 0;
    if (startsWith(lower, "http://"))
        rest = 7;
    else if (startsWith(lower, "https://"))
        rest = 8;
    else
        return false;
    // A host must follow the scheme.
    return address.size() > rest && address[rest] != '/' && address[rest] != '\\';
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace zorvane
