#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane {

// A settings (INI) document kept as its lines, so that saving changes only
// the keys that were set and keeps every other section, key, comment and
// blank line in place. The file on disk is GBK; in memory it is UTF-8.
//
// Reading follows the Windows profile functions where that is cheap:
// section and key names match case-insensitively (ASCII letters), a key line
// is "key = value" with spaces and tabs around the key and the value ignored,
// one pair of matching surrounding quotes (" or ') is taken off a value, and
// a line starting with ';' is a comment. When a name occurs twice, the first
// key found wins. Values are read whole, however long.
class IniFile final
{
public:
    IniFile() = default;

    // The document in the file; a missing or unreadable file is an empty one.
    static IniFile load(const std::string& path);

    // The document of a UTF-8 text (lines end with LF or CR LF).
    static IniFile fromText(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Sets the value, replacing the key's line or adding it at the end of
    // its section (the section is added at the end when missing). A value
    // that reading would alter (surrounding blanks or quotes) is written
    // inside double quotes so it reads back as given. A line break cannot be
    // stored on the key's one line: such a value, an empty key or section, a
    // key holding '=' or a section name holding ']' is refused (false, the
    // document unchanged).
    bool setValue(std::string_view section, std::string_view key, std::string_view value);

    // The document as UTF-8 text, every line ended by CR LF.
    std::string toText() const;

    // Writes the document in GBK (characters GBK lacks become '?'), replacing
    // the file only once all of it is written. False when that failed.
    bool save(const std::string& path) const;

private:
    std::vector<std::string> m_lines;
};

} // namespace zorvane
