#pragma once

#include <string>
#include <string_view>
#include <vector>

// Small text operations the cookie and header handling are built from.
namespace zorvane {

// Replaces every occurrence of from (ASCII letters in any case) with to.
std::string replaceAllNoCase(std::string_view text, std::string_view from, std::string_view to);

// 1-based index of the first item equal to text (byte for byte), -1 when none.
int indexOfItem(const std::vector<std::string>& items, std::string_view text);

// The text split at separator, with every item that equals an earlier one
// left out, joined again with separator.
std::string removeDuplicateItems(std::string_view text, std::string_view separator);

// The text strictly between the first left marker found from start (1-based;
// 0 or 1 = from the beginning) and the next right marker after it; "" when
// either is missing or empty. "#引号" in a marker stands for a double quote.
// caseInsensitive applies to both markers (ASCII letters).
std::string textBetween(std::string_view text, std::string_view left, std::string_view right, int start = 0,
                        bool caseInsensitive = false);

} // namespace zorvane
