#include "settings/ini_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/file_replace.h"
#include "base/gbk.h"
#include "base/text.h"

namespace zorvane {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Every lookup compares each line's name: without copying either.
bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool isQuotedPair(std::string_view s)
{
    return s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front();
}

// The section a header line opens; nothing for any other line.
std::optional<std::string_view> sectionOf(std::string_view line)
{
    line = trimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    std::size_t close = line.find(']');
    return trimBlanks(line.substr(0, close));
}

struct KeyLine
{
    std::string_view key;
    std::string_view value;
};

// The key and raw value of a "key=value" line; nothing for headers, comments,
// blank lines and lines without a key.
std::optional<KeyLine> keyLineOf(std::string_view line)
{
    std::string_view body = trimBlanks(line);
    if (body.empty() || body.front() == ';' || body.front() == '[')
        return std::nullopt;
    std::size_t eq = body.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    std::string_view key = trimBlanks(body.substr(0, eq));
    if (key.empty())
        return std::nullopt;
    return KeyLine{key, trimBlanks(body.substr(eq + 1))};
}

std::string encodeValue(std::string_view value)
{
    bool altered = !value.empty() && (isBlank(value.front()) || isBlank(value.back()) || isQuotedPair(value));
    return altered ? "\"" + std::string(value) + "\"" : std::string(value);
}

std::string_view valueRead(const KeyLine& entry)
{
    std::string_view value = entry.value;
    return isQuotedPair(value) ? value.substr(1, value.size() - 2) : value;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool gbkHolds(std::string_view text)
{
    std::size_t lacking = 0;
    utf8ToGbk(text, &lacking);
    return lacking == 0;
}

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether the bytes are made of GBK's byte pairs: a lead byte 81-FE and a
// trail byte 40-FE other than 7F.
bool isGbkShaped(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80)
            continue;
        if (lead == 0x80 || lead == 0xFF || ++i == bytes.size())
            return false;
        auto trail = static_cast<unsigned char>(bytes[i]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
            return false;
    }
    return true;
}

// One line of a file: its bytes and its end.
struct RawLine
{
    std::string_view bytes;
    std::string_view end;
};

std::vector<RawLine> splitLines(std::string_view text)
{
    std::vector<RawLine> lines;
    while (!text.empty()) {
        std::size_t lf = text.find('\n');
        std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        std::string_view line = text.substr(0, next);
        std::size_t endLength = lf == std::string_view::npos ? 0 : 1;
        // A CR ends a line only before its LF; a lone one is part of the line.
        if (endLength == 1 && line.size() > endLength && line[line.size() - endLength - 1] == '\r')
            ++endLength;
        lines.push_back({line.substr(0, line.size() - endLength), line.substr(line.size() - endLength)});
        text.remove_prefix(next);
    }
    return lines;
}

} // namespace

IniFile IniFile::load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return fromBytes(bytes);
}

IniFile IniFile::fromBytes(std::string_view bytes)
{
    IniFile doc;
    if (startsWith(bytes, kUtf8Bom)) {
        doc.m_encoding = Encoding::Utf8WithBom;
        bytes.remove_prefix(kUtf8Bom.size());
    } else if (!isAscii(bytes) && isValidUtf8(bytes)) {
        doc.m_encoding = Encoding::Utf8;
    } else {
        doc.m_encodingRecognised = isGbkShaped(bytes);
    }
    const bool gbk = doc.m_encoding == Encoding::Gbk;
    for (const RawLine& line : splitLines(bytes)) {
        std::string text = gbk ? gbkToUtf8(line.bytes) : sanitizeUtf8(line.bytes);
        doc.m_lines.push_back({std::move(text), std::string(line.bytes), std::string(line.end)});
    }
    if (!doc.m_lines.empty() && !doc.m_lines.front().end.empty())
        doc.m_lineEnd = doc.m_lines.front().end;
    return doc;
}

IniFile IniFile::fromText(std::string_view text)
{
    IniFile doc = fromBytes(text);
    for (Line& line : doc.m_lines)
        line.raw.reset();
    doc.m_encoding = Encoding::Gbk;
    doc.m_encodingRecognised = true;
    return doc;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    bool inSection = false;
    for (const Line& line : m_lines) {
        if (auto name = sectionOf(line.text)) {
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        auto entry = keyLineOf(line.text);
        if (entry && sameName(entry->key, key))
            return std::string(valueRead(*entry));
    }
    return std::nullopt;
}

bool IniFile::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    auto hasBreak = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.empty() || key.empty() || hasBreak(section) || hasBreak(key) || hasBreak(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        key.front() == ';' || key.front() == '[')
        return false;

    std::string newLine = std::string(key) + "=" + encodeValue(value);
    if (m_encoding == Encoding::Gbk && !gbkHolds(newLine))
        switchToUtf8();
    bool inSection = false;
    int matchingSections = 0;
    std::size_t insertAt = m_lines.size(); // after the first matching section's last non-blank line
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const std::string& text = m_lines[i].text;
        if (auto name = sectionOf(text)) {
            inSection = sameName(*name, section);
            if (inSection && ++matchingSections == 1)
                insertAt = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        auto entry = keyLineOf(text);
        if (entry && sameName(entry->key, key)) {
            if (valueRead(*entry) != value)
                m_lines[i] = {std::move(newLine), std::nullopt, m_lines[i].end};
            return true;
        }
        if (matchingSections == 1 && !trimBlanks(text).empty())
            insertAt = i + 1;
    }
    if (matchingSections == 0) {
        m_lines.push_back({"[" + std::string(section) + "]", std::nullopt, m_lineEnd});
        insertAt = m_lines.size();
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                   {std::move(newLine), std::nullopt, m_lineEnd});
    return true;
}

void IniFile::switchToUtf8()
{
    m_encoding = Encoding::Utf8WithBom;
    for (Line& line : m_lines)
        line.raw.reset();
}

const std::string& IniFile::endOf(std::size_t i) const
{
    const std::string& end = m_lines[i].end;
    const bool ended = !end.empty() && end.back() == '\n';
    return !ended && i + 1 < m_lines.size() ? m_lineEnd : end;
}

std::string IniFile::toText() const
{
    std::string text;
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        text += m_lines[i].text + endOf(i);
    return text;
}

std::string IniFile::toBytes() const
{
    std::string bytes(m_encoding == Encoding::Utf8WithBom ? kUtf8Bom : std::string_view());
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.raw)
            bytes += *line.raw;
        else
            bytes += m_encoding == Encoding::Gbk ? utf8ToGbk(line.text) : line.text;
        bytes += endOf(i);
    }
    return bytes;
}

bool IniFile::save(const std::string& path) const
{
    return write(path).ok();
}

FileWriteResult IniFile::write(const std::string& path) const
{
    return replaceFileContents(path, toBytes());
}

} // namespace zorvane
