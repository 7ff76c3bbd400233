#pragma once

#include <cstddef>
#include <string_view>

// Searches that read a whole page: sixteen bytes a step where the processor
// has SSE2 (every x86-64 does), one byte a step elsewhere.
namespace zorvane {

// The first place at or after from where lowerWord (lower-case ASCII,
// non-empty) stands, ASCII letter case aside; npos when it stands nowhere.
std::size_t findWordNoCase(std::string_view text, std::string_view lowerWord, std::size_t from = 0);

// Where the first of two texts (both non-empty) first stands, and which of
// them it is (0 or 1; the first wins a tie).
struct TextPlace
{
    std::size_t at;
    int which;
};

// One pass over text for both; at is npos when neither stands in it.
TextPlace findFirstOfTwo(std::string_view text, std::string_view first, std::string_view second);

} // namespace zorvane
