#pragma once

#include <string>
#include <string_view>

// GBK (code page 936) is used only at the edges: the CSV file, the settings
// file and the update answer. Inside, every text is UTF-8.
namespace zorvane {

// UTF-8 to GBK; a character GBK lacks (or an invalid sequence) becomes '?'.
// When asked, replaced tells how many were.
std::string utf8ToGbk(std::string_view utf8, std::size_t* replaced = nullptr);

// GBK to UTF-8; an invalid byte sequence becomes U+FFFD.
std::string gbkToUtf8(std::string_view gbk);

} // namespace zorvane
