#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::fuzz {

using CsvRow = std::vector<std::string>;

// Reads CSV text the way spreadsheet programs do: fields separated by ",",
// rows ended by CR LF (or a lone LF), a field in double quotes may hold
// commas, line breaks and doubled quotes. Nothing when the text is malformed
// (a quote inside an unquoted field, text after a closing quote, an
// unterminated quoted field).
std::optional<std::vector<CsvRow>> readCsv(std::string_view text);

} // namespace zorvane::fuzz
