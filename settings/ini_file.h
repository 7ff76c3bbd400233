#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_replace.h"

namespace zorvane {

// A settings (INI) document kept as its lines, so that saving changes only
// the keys that were set and keeps every other section, key, comment and
// blank line in place, byte for byte. In memory the text is UTF-8; on disk
// it stays in the encoding the file had: UTF-8 (with or without a byte-order
// mark) when it is valid UTF-8 holding non-ASCII bytes, otherwise GBK, the
// encoding of a new file. A value GBK cannot hold (Hangul, an emoji) turns a
// GBK document into UTF-8 with a byte-order mark, every line re-encoded, so
// that nothing is saved as '?'. Each line keeps its own line end; added lines
// take the file's first one (CR LF in a new file).
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

    enum class Encoding
    {
        Gbk,
        Utf8,
        Utf8WithBom,
    };

    // The document in the file; a missing or unreadable file is an empty one.
    static IniFile load(const std::string& path);

    // The document of a file's bytes, in the encoding they are found to be in.
    static IniFile fromBytes(std::string_view bytes);

    // The document of a UTF-8 text (lines end with LF or CR LF), saved as a
    // new file would be.
    static IniFile fromText(std::string_view text);

    Encoding encoding() const { return m_encoding; }
    // False when the bytes were neither UTF-8 nor GBK; they are read as GBK.
    bool encodingRecognised() const { return m_encodingRecognised; }

    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Sets the value, replacing the key's line or adding it at the end of
    // its section (the section is added at the end when missing), and
    // switches a GBK document to UTF-8 when GBK cannot hold the line; a line
    // that already reads as the value is left as it is. A value
    // that reading would alter (surrounding blanks or quotes) is written
    // inside double quotes so it reads back as given. A line break cannot be
    // stored on the key's one line: such a value, an empty key or section, a
    // key holding '=' or a section name holding ']' is refused (false, the
    // document unchanged).
    bool setValue(std::string_view section, std::string_view key, std::string_view value);

    // The document as UTF-8 text.
    std::string toText() const;

    // The document as the file's bytes: unchanged lines as they were read,
    // changed ones in the file's encoding.
    std::string toBytes() const;

    // Writes toBytes(), replacing the file only once all of it is written.
    // False when that failed.
    bool save(const std::string& path) const;
    // The same, telling why a write failed.
    FileWriteResult write(const std::string& path) const;

private:
    struct Line
    {
        std::string text;               // UTF-8
        std::optional<std::string> raw; // the file's bytes, while the line is unchanged
        std::string end;                // "\r\n", "\n", "\r" or "" (the file's last line)
    };

    // The end written after line i: its own, or the document's for a file's
    // last line (no line feed) that is no longer last.
    const std::string& endOf(std::size_t i) const;

    // From now on the lines are written from their text, in UTF-8 after a
    // byte-order mark. A GBK line's bytes come back the same through the
    // text; bytes that were no GBK at all become U+FFFD.
    void switchToUtf8();

    std::vector<Line> m_lines;
    Encoding m_encoding = Encoding::Gbk;
    bool m_encodingRecognised = true;
    std::string m_lineEnd = "\r\n";
};

} // namespace zorvane
