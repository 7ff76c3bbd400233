#include "settings/ini_file.h"

#include <fstream>
#include <iterator>

#include "core/gbk.h"
#include "core/text.h"
#include "core/file_replace.h"

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

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && toLowerAscii(a) == toLowerAscii(b);
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

} // namespace

IniFile IniFile::load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return fromText(gbkToUtf8(bytes));
}

IniFile IniFile::fromText(std::string_view text)
{
    IniFile doc;
    while (!text.empty()) {
        std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        doc.m_lines.emplace_back(line);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    }
    return doc;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    bool inSection = false;
    for (const std::string& line : m_lines) {
        if (auto name = sectionOf(line)) {
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        auto entry = keyLineOf(line);
        if (!entry || !sameName(entry->key, key))
            continue;
        std::string_view value = entry->value;
        if (isQuotedPair(value))
            value = value.substr(1, value.size() - 2);
        return std::string(value);
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
    bool inSection = false;
    int matchingSections = 0;
    std::size_t insertAt = m_lines.size(); // after the first matching section's last non-blank line
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (auto name = sectionOf(m_lines[i])) {
            inSection = sameName(*name, section);
            if (inSection && ++matchingSections == 1)
                insertAt = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        auto entry = keyLineOf(m_lines[i]);
        if (entry && sameName(entry->key, key)) {
            m_lines[i] = newLine;
            return true;
        }
        if (matchingSections == 1 && !trimBlanks(m_lines[i]).empty())
            insertAt = i + 1;
    }
    if (matchingSections == 0) {
        m_lines.push_back("[" + std::string(section) + "]");
        insertAt = m_lines.size();
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(newLine));
    return true;
}

std::string IniFile::toText() const
{
    std::string text;
    for (const std::string& line : m_lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool IniFile::save(const std::string& path) const
{
    return replaceFileContents(path, utf8ToGbk(toText())).ok();
}

} // namespace zorvane
