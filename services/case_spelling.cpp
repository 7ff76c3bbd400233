#include "services/case_spelling.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

// The pattern is read as PCRE2 reads it with \u and \x in their script
// forms: only the places where a letter stands for itself change, so escape
// names, group names, verbs, property names and comments stay as written.
namespace zorvane::regex_detail {

namespace {

bool isUpper(std::uint32_t c)
{
    return c >= 'A' && c <= 'Z';
}

bool isLower(std::uint32_t c)
{
    return c >= 'a' && c <= 'z';
}

bool isLetter(std::uint32_t c)
{
    return isUpper(c) || isLower(c);
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::uint32_t hexValue(char h)
{
    return static_cast<std::uint32_t>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
}

char otherCase(std::uint32_t c)
{
    return static_cast<char>(isUpper(c) ? c + ('a' - 'A') : c - ('a' - 'A'));
}

// The code point of an UTF-8 sequence starting with lead and running on
// for the given number of continuation bytes.
std::uint32_t decodeUtf8(std::string_view bytes)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const std::size_t extra = bytes.size() - 1;
    std::uint32_t c = extra == 0 ? lead : lead & (0x3Fu >> extra);
    for (std::size_t i = 1; i < bytes.size(); ++i)
        c = (c << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3Fu);
    return c;
}

std::size_t utf8Length(char lead)
{
    const auto b = static_cast<unsigned char>(lead);
    return b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

struct Flags
{
    bool fold = false;
    bool extended = false; // white space and # comments are no pattern
};

// One character (or class escape) read inside a class: its code point when
// it stands for one character.
struct ClassItem
{
    std::optional<std::uint32_t> code;
};

// An escape that stands for one character, and its length in the pattern.
struct Escaped
{
    std::uint32_t code;
    std::size_t length;
};

// How a group numbers the groups inside it. PCRE2 reads \12 as a back
// reference only when twelve groups were opened before it, else as an octal
// escape, so the count must follow PCRE2's, (?| resetting it at each branch.
struct Numbering
{
    bool resets = false;
    int atOpen = 0;
    int most = 0;
};

enum class GroupKind
{
    Plain,
    Capturing,
    Resetting,
};

class Speller final
{
public:
    Speller(std::string_view pattern, bool caseless) : m_in(pattern)
    {
        m_flags.push_back({caseless, false});
        m_numbering.emplace_back();
    }

    std::string run()
    {
        while (m_pos < m_in.size())
            step();
        return std::move(m_out);
    }

private:
    char at(std::size_t offset) const { return m_pos + offset < m_in.size() ? m_in[m_pos + offset] : '\0'; }

    Flags& flags() { return m_flags.back(); }

    void copy(std::size_t n)
    {
        n = std::min(n, m_in.size() - m_pos);
        m_out.append(m_in.substr(m_pos, n));
        m_pos += n;
    }

    // Copies up to and including the first c at or after offset.
    void copyThrough(char c, std::size_t offset = 0)
    {
        const std::size_t end = m_in.find(c, m_pos + offset);
        copy(end == std::string_view::npos ? m_in.size() - m_pos : end + 1 - m_pos);
    }

    void openGroup(Flags inside, GroupKind kind = GroupKind::Plain)
    {
        m_flags.push_back(inside);
        if (kind == GroupKind::Capturing)
            ++m_captures;
        m_numbering.push_back({kind == GroupKind::Resetting, m_captures, m_captures});
    }

    void closeGroup()
    {
        if (m_flags.size() < 2)
            return;
        const Numbering& numbering = m_numbering.back();
        if (numbering.resets)
            m_captures = std::max(m_captures, numbering.most);
        m_flags.pop_back();
        m_numbering.pop_back();
    }

    // A branch of (?| numbers its groups from where the group began.
    void nextBranch()
    {
        Numbering& numbering = m_numbering.back();
        if (numbering.resets) {
            numbering.most = std::max(numbering.most, m_captures);
            m_captures = numbering.atOpen;
        }
    }

    // A character standing for itself, outside a class.
    void literal(std::uint32_t c, std::size_t length)
    {
        if (flags().fold && isLetter(c)) {
            m_out += '[';
            m_out += static_cast<char>(c);
            m_out += otherCase(c);
            m_out += ']';
            m_pos += length;
        } else {
            copy(length);
        }
    }

    void step()
    {
        const char c = m_in[m_pos];
        if (c == '\\') {
            escape();
        } else if (c == '[') {
            charClass();
        } else if (c == '(') {
            group();
        } else if (c == ')') {
            closeGroup();
            copy(1);
        } else if (c == '|') {
            nextBranch();
            copy(1);
        } else if (c == '#' && flags().extended) {
            copyThrough('\n');
        } else {
            literal(static_cast<unsigned char>(c), 1);
        }
    }

    // \xhh and \uhhhh: the code, when that many hexadecimal digits follow.
    std::optional<std::uint32_t> hexCode(std::size_t digits) const
    {
        std::uint32_t code = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            const char h = at(2 + i);
            if (!isHex(h))
                return std::nullopt;
            code = code * 16 + hexValue(h);
        }
        return code;
    }

    // \o{ooo} and \N{U+hhh}: digits of the base from offset on up to '}'.
    std::optional<Escaped> bracedCode(std::size_t offset, std::uint32_t base) const
    {
        std::uint32_t code = 0;
        std::size_t n = offset;
        for (; base == 8 ? at(n) >= '0' && at(n) <= '7' : isHex(at(n)); ++n) {
            code = code * base + hexValue(at(n));
            if (code > 0x10FFFF)
                return std::nullopt; // PCRE2 refuses it
        }
        if (n == offset || at(n) != '}')
            return std::nullopt;
        return Escaped{code, n + 1};
    }

    // \ followed by up to three octal digits.
    Escaped octalCode() const
    {
        std::uint32_t code = 0;
        std::size_t n = 1;
        for (; n < 4 && at(n) >= '0' && at(n) <= '7'; ++n)
            code = code * 8 + static_cast<std::uint32_t>(at(n) - '0');
        return {code, n};
    }

    // Outside a class PCRE2 reads \ and digits as a back reference when the
    // number is below 10, starts with 8 or 9, or counts no more groups than
    // were opened before it; else as an octal escape.
    bool digitsAreReference() const
    {
        std::uint32_t number = 0;
        for (std::size_t n = 1; at(n) >= '0' && at(n) <= '9'; ++n) {
            number = number * 10 + static_cast<std::uint32_t>(at(n) - '0');
            // Too large for a group: read as octal, or \8 and \9 as the digit
            // itself, the digits after it literal.
            if (number > 65535)
                return false;
        }
        return number < 10 || at(1) >= '8' || number <= static_cast<std::uint32_t>(m_captures);
    }

    // The character an escape stands for, as PCRE2 reads it; nullopt for a
    // class, an assertion, a reference, \Q or an escape PCRE2 refuses. Digits
    // outside a class are the caller's to tell from a reference.
    std::optional<Escaped> characterEscape(bool inClass) const
    {
        if (m_pos + 1 >= m_in.size())
            return std::nullopt;
        const char name = at(1);
        switch (name) {
        case 'a':
            return Escaped{7, 2};
        case 'b':
            return inClass ? std::optional<Escaped>(Escaped{8, 2}) : std::nullopt;
        case 'e':
            return Escaped{27, 2};
        case 'f':
            return Escaped{12, 2};
        case 'n':
            return Escaped{10, 2};
        case 'r':
            return Escaped{13, 2};
        case 't':
            return Escaped{9, 2};
        case 'U':
            return Escaped{'U', 2};
        case 'x':
        case 'u': {
            // A lone \x or \u is the letter itself.
            const std::size_t digits = name == 'x' ? 2 : 4;
            const std::optional<std::uint32_t> code = hexCode(digits);
            return code ? Escaped{*code, 2 + digits} : Escaped{static_cast<std::uint32_t>(name), 2};
        }
        case 'o':
            return at(2) == '{' ? bracedCode(3, 8) : std::nullopt;
        case 'N':
            return at(2) == '{' && at(3) == 'U' && at(4) == '+' ? bracedCode(5, 16) : std::nullopt;
        case 'c': {
            // \cx is x in upper case with bit 6 flipped: \c! is a.
            const auto x = static_cast<unsigned char>(at(2));
            if (x < 0x20 || x > 0x7E)
                return std::nullopt;
            return Escaped{(isLower(x) ? x - ('a' - 'A') : x) ^ 0x40u, 3};
        }
        default:
            break;
        }
        if (name == '8' || name == '9')
            return Escaped{static_cast<unsigned char>(name), 2};
        if (name >= '0' && name <= '7')
            return octalCode();
        if (isLetter(static_cast<unsigned char>(name)))
            return std::nullopt;
        // Any other escaped character stands for itself.
        const std::size_t length = std::min(utf8Length(name), m_in.size() - m_pos - 1);
        return Escaped{decodeUtf8(m_in.substr(m_pos + 1, length)), 1 + length};
    }

    // An escape whose argument follows in brackets, or as the next character.
    void escapeWithArgument(char name)
    {
        const char open = at(2);
        if (name == 'c')
            return copy(3);
        const bool named = name == 'g' || name == 'k';
        if (open == '{' || (named && (open == '<' || open == '\'')))
            return copyThrough(open == '{' ? '}' : open == '<' ? '>' : '\'', 3);
        copy(name == 'p' || name == 'P' ? 3 : 2);
    }

    // A back reference matches its group's text in either case where case
    // is ignored; PCRE2 compares the two, so the reference keeps its fold.
    void backReference(std::size_t length)
    {
        if (flags().fold)
            m_out += "(?i:";
        copy(length);
        if (flags().fold)
            m_out += ')';
    }

    // The length of \1, \g{...}, \g-1, \k<...> and the like.
    std::size_t referenceLength(char name) const
    {
        const char open = at(2);
        if (open == '{' || open == '<' || open == '\'') {
            const std::size_t end = m_in.find(open == '{' ? '}' : open == '<' ? '>' : '\'', m_pos + 3);
            return end == std::string_view::npos ? m_in.size() - m_pos : end + 1 - m_pos;
        }
        std::size_t n = 2;
        if (name == 'g' && (open == '+' || open == '-'))
            ++n;
        while (at(n) >= '0' && at(n) <= '9')
            ++n;
        return n;
    }

    void escape()
    {
        const char name = at(1);
        if (name == 'Q')
            return quoted();
        // \g<...> and \g'...' call a group rather than match its text again.
        if ((name >= '1' && name <= '9' && digitsAreReference()) || name == 'k' ||
            (name == 'g' && at(2) != '<' && at(2) != '\''))
            return backReference(referenceLength(name));
        if (const std::optional<Escaped> character = characterEscape(false))
            return literal(character->code, character->length);
        if (std::string_view("pPgNoc").find(name) != std::string_view::npos)
            return escapeWithArgument(name);
        copy(2);
    }

    // \Q...\E: every character stands for itself.
    void quoted()
    {
        const std::size_t start = m_pos + 2;
        const std::size_t end = std::min(m_in.find("\\E", start), m_in.size());
        if (!flags().fold) {
            copy(std::min(end + 2, m_in.size()) - m_pos);
            return;
        }
        m_pos = start;
        while (m_pos < end) {
            const auto c = static_cast<unsigned char>(m_in[m_pos]);
            if (c >= '0' && c <= '9') {
                // Spelt in hexadecimal, a digit cannot lengthen an octal escape or a reference before it.
                m_out.append("\\x3") += static_cast<char>(c);
                ++m_pos;
                continue;
            }
            if (c < 0x80 && !isLetter(c))
                m_out += '\\'; // punctuation, white space and controls stay literal
            literal(c, 1);
        }
        m_pos = std::min(end + 2, m_in.size());
    }

    // Where the ":]" (or ".]" or "=]") closing a POSIX class that opens at
    // m_pos stands, found as PCRE2 finds it; npos when the '[' is a member.
    std::size_t posixEnd() const
    {
        const char terminator = at(1);
        if (at(0) != '[' || (terminator != ':' && terminator != '.' && terminator != '='))
            return std::string_view::npos;
        for (std::size_t i = m_pos + 2; i + 1 < m_in.size(); ++i) {
            const char c = m_in[i];
            const char next = m_in[i + 1];
            if (c == '\\' && (next == ']' || next == '\\'))
                ++i;
            else if ((c == '[' && next == terminator) || c == ']')
                return std::string_view::npos;
            else if (c == terminator && next == ']')
                return i;
        }
        return std::string_view::npos;
    }

    void group();
    void options();
    void callout();
    void charClass();
    ClassItem classItem();
    void addOtherCases(std::uint32_t low, std::uint32_t high, std::string& extra) const;

    std::string_view m_in;
    std::size_t m_pos = 0;
    std::string m_out;
    std::vector<Flags> m_flags;         // innermost group last
    std::vector<Numbering> m_numbering; // alongside m_flags
    int m_captures = 0;                 // capturing groups opened so far, as PCRE2 counts them
};

void Speller::group()
{
    if (at(1) == '*') {
        // A verb, or an assertion spelt with a lower-case name and a colon.
        std::size_t n = 2;
        while (isLower(static_cast<unsigned char>(at(n))) || at(n) == '_')
            ++n;
        if (n > 2 && at(n) == ':') {
            openGroup(flags());
            return copy(n + 1);
        }
        return copyThrough(')');
    }
    if (at(1) != '?') {
        openGroup(flags(), GroupKind::Capturing);
        return copy(1);
    }
    const char kind = at(2);
    if (kind == '#')
        return copyThrough(')');
    if (kind == ':' || kind == '|' || kind == '>' || kind == '=' || kind == '!' || kind == '*') {
        openGroup(flags(), kind == '|' ? GroupKind::Resetting : GroupKind::Plain);
        return copy(3);
    }
    if (kind == '<' && (at(3) == '=' || at(3) == '!')) {
        openGroup(flags());
        return copy(4);
    }
    if (kind == '<' || kind == '\'' || (kind == 'P' && at(3) == '<')) {
        openGroup(flags(), GroupKind::Capturing);
        return copyThrough(kind == '\'' ? '\'' : '>', 3);
    }
    if (kind == 'P' && at(3) == '=') {
        const std::size_t end = m_in.find(')', m_pos);
        return backReference(end == std::string_view::npos ? m_in.size() - m_pos : end + 1 - m_pos);
    }
    if (kind == 'P' || kind == '&' || kind == 'R' || (kind >= '0' && kind <= '9') ||
        ((kind == '+' || kind == '-') && at(3) >= '0' && at(3) <= '9'))
        return copyThrough(')');
    if (kind == 'C')
        return callout();
    if (kind == '(') {
        // A condition: an assertion is read as a group of its own, anything else is a name or number.
        openGroup(flags());
        if (at(3) == '?' || at(3) == '*')
            return copy(2);
        return copyThrough(')', 3);
    }
    options();
}

// (?imsx-imsx) or (?imsx-imsx: ...): i is taken here, the rest stays.
void Speller::options()
{
    std::size_t n = 2;
    Flags next = flags();
    std::string kept;
    bool on = true;
    bool dash = false;
    for (;; ++n) {
        const char c = at(n);
        if (c == '^') {
            next = {};
            kept += c;
        } else if (c == '-') {
            on = false;
            dash = true;
        } else if (isLetter(static_cast<unsigned char>(c))) {
            if (c == 'i')
                next.fold = on;
            else if (c == 'x')
                next.extended = on;
            if (c != 'i') {
                if (!on && dash) {
                    kept += '-';
                    dash = false;
                }
                kept += c;
            }
        } else {
            break;
        }
    }
    const char end = at(n);
    if (end != ')' && end != ':')
        return copy(2); // not an option setting: left to the compiler to judge
    if (end == ')')
        flags() = next;
    else
        openGroup(next);
    m_out.append("(?").append(kept) += end;
    m_pos += n + 1;
}

// (?C), (?Cn) or (?C"text") with any of PCRE2's delimiters, doubled inside.
void Speller::callout()
{
    const char open = at(3);
    const char close = open == '{' ? '}' : open;
    if (std::string_view("`'\"^%#${").find(open) == std::string_view::npos || open == '\0')
        return copyThrough(')');
    std::size_t n = 4;
    while (m_pos + n < m_in.size() && !(at(n) == close && at(n + 1) != close))
        n += at(n) == close ? 2u : 1u;
    copyThrough(')', n);
}

void Speller::charClass()
{
    copy(1);
    if (at(0) == '^')
        copy(1);
    std::string extra; // the other cases of the letters in the class
    for (bool first = true; m_pos < m_in.size() && (at(0) != ']' || first); first = false) {
        // A ']' first is a member.
        if (const std::size_t end = posixEnd(); end != std::string_view::npos) {
            // [:name:], or a collating element, which PCRE2 refuses.
            const std::string_view name = m_in.substr(m_pos + 2, end - m_pos - 2);
            if (flags().fold && at(1) == ':' &&
                (name == "upper" || name == "lower" || name == "^upper" || name == "^lower"))
                m_out += name[0] == '^' ? "[:^alpha:]" : "[:alpha:]";
            else
                m_out.append(m_in.substr(m_pos, end + 2 - m_pos));
            m_pos = end + 2;
            continue;
        }
        const ClassItem low = classItem();
        if (!low.code)
            continue;
        std::uint32_t high = *low.code;
        if (at(0) == '-' && at(1) != ']' && m_pos + 1 < m_in.size()) {
            copy(1);
            if (const ClassItem last = classItem(); last.code)
                high = *last.code;
        }
        if (flags().fold)
            addOtherCases(*low.code, high, extra);
    }
    m_out += extra;
    copy(1);
}

ClassItem Speller::classItem()
{
    const char c = at(0);
    if (c == '-') {
        // Escaped, so that no case added at the class's end makes it a range.
        m_out += "\\-";
        ++m_pos;
        return {'-'};
    }
    if (c != '\\') {
        const std::size_t length = std::min(utf8Length(c), m_in.size() - m_pos);
        const std::uint32_t code = decodeUtf8(m_in.substr(m_pos, length));
        copy(length);
        return {code};
    }
    const char name = at(1);
    if (name == 'Q') {
        // Each quoted character counts alone.
        const std::size_t end = std::min(m_in.find("\\E", m_pos + 2), m_in.size());
        std::string extra;
        for (std::size_t i = m_pos + 2; i < end && flags().fold; ++i)
            addOtherCases(static_cast<unsigned char>(m_in[i]), static_cast<unsigned char>(m_in[i]), extra);
        copy(std::min(end + 2, m_in.size()) - m_pos);
        m_out += extra;
        return {};
    }
    if (const std::optional<Escaped> character = characterEscape(true)) {
        copy(character->length);
        return {character->code};
    }
    // A class such as \d or \p{Lu}, or an escape PCRE2 refuses in a class.
    if (std::string_view("pPNoc").find(name) != std::string_view::npos)
        escapeWithArgument(name);
    else
        copy(2);
    return {};
}

void Speller::addOtherCases(std::uint32_t low, std::uint32_t high, std::string& extra) const
{
    for (const std::uint32_t first : {std::uint32_t{'A'}, std::uint32_t{'a'}}) {
        const std::uint32_t from = std::max(low, first);
        const std::uint32_t to = std::min(high, first + 25);
        if (from > to)
            continue;
        extra += otherCase(from);
        if (to > from) {
            extra += '-';
            extra += otherCase(to);
        }
    }
}

} // namespace

std::string spellOutCase(std::string_view pattern, bool caseless)
{
    return Speller(pattern, caseless).run();
}

} // namespace zorvane::regex_detail
