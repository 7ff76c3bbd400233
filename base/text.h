#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Text helpers over UTF-8. "Spaces" are the ASCII space and the full-width
// space U+3000; tabs and line breaks are never treated as spaces.
namespace zorvane {

inline constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";

// Removes every space (U+0020, U+3000) wherever it stands.
std::string removeSpaces(std::string_view text);

// Removes leading and trailing spaces (U+0020, U+3000).
std::string trimSpaces(std::string_view text);

// Removes leading and trailing white space of any kind: ASCII white space
// (tab, CR, LF, ...), the no-break space, the Unicode spaces and the
// zero-width ones (U+200B, U+FEFF) that pasting brings along.
std::string trimWhiteSpace(std::string_view text);

// Splits at every occurrence of sep: empty middle pieces are kept, an empty
// last piece is dropped, and an empty text gives no pieces.
std::vector<std::string> splitText(std::string_view text, std::string_view sep);

// Replaces every occurrence of from (non-empty) with to.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

std::string toLowerAscii(std::string_view text);

// Case-insensitive (ASCII letters) search; npos when absent.
std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from = 0);

// True when lowerWord (lower-case ASCII) stands at at, letter case aside.
// Inline: the page scans call it at every '<'.
inline bool hasWordNoCaseAt(std::string_view text, std::size_t at, std::string_view lowerWord)
{
    if (at > text.size() || lowerWord.size() > text.size() - at)
        return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        char c = text[at + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i])
            return false;
    }
    return true;
}

// White space as a pattern's \s reads it without Unicode properties.
inline bool isPatternSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The first occurrence of needle (memmem: in a page, a search that stops at
// every '<' would cost several times more); npos when absent.
std::size_t findText(std::string_view text, std::string_view needle);

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

// True when the bytes are well-formed UTF-8 (no overlongs, surrogates or
// code points above U+10FFFF). Sixteen bytes a step (base/utf8_check.cpp).
bool isValidUtf8(std::string_view bytes);

// Replaces invalid UTF-8 sequences with U+FFFD so the text is valid UTF-8.
std::string sanitizeUtf8(std::string_view bytes);

// Appends the UTF-8 bytes of a code point (at most U+10FFFF).
void appendUtf8(std::string& out, std::uint32_t codePoint);

// True for an absolute http:// or https:// address (scheme case-insensitive).
bool isWebAddress(std::string_view address);

} // namespace zorvane
