#include "fuzz/csv_reader.h"

namespace zorvane::fuzz {

namespace {

// Reads one field starting at pos; pos ends on the separator, the line end
// or the end of the text.
std::optional<std::string> readField(std::string_view text, std::size_t& pos)
{
    std::string field;
    if (pos < text.size() && text[pos] == '"') {
        ++pos;
        for (;;) {
            if (pos >= text.size())
                return std::nullopt;
            const char c = text[pos++];
            if (c != '"') {
                field += c;
                continue;
            }
            if (pos < text.size() && text[pos] == '"') {
                field += '"';
                ++pos;
                continue;
            }
            break;
        }
        if (pos < text.size() && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n')
            return std::nullopt;
        return field;
    }
    while (pos < text.size() && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n') {
        if (text[pos] == '"')
            return std::nullopt;
        field += text[pos++];
    }
    return field;
}

} // namespace

std::optional<std::vector<CsvRow>> readCsv(std::string_view text)
{
    std::vector<CsvRow> rows;
    std::size_t pos = 0;
    while (pos < text.size()) {
        CsvRow row;
        for (;;) {
            std::optional<std::string> field = readField(text, pos);
            if (!field)
                return std::nullopt;
            row.push_back(std::move(*field));
            if (pos < text.size() && text[pos] == ',') {
                ++pos;
                continue;
            }
            break;
        }
        if (text.substr(pos, 2) == "\r\n")
            pos += 2;
        else if (pos < text.size() && (text[pos] == '\n' || text[pos] == '\r'))
            ++pos;
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace zorvane::fuzz
