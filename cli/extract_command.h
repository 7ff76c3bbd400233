#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/goods_record.h"

namespace zorvane::cli {

// A field on its one line: tab, LF and CR as \t, \n and \r, a backslash as \\.
std::string escapeField(std::string_view field);

// "goodsId TAB name TAB price TAB tagText" with LF, each field escaped.
std::string extractLine(const GoodsRecord& record);

// Analyses each saved page exactly as the walk analyses a fetched one and
// writes one line per goods item to out; notes about pages without goods and
// unreadable files go to err. Returns the exit status.
int runExtract(const std::vector<std::string>& files, std::FILE* out, std::FILE* err);

} // namespace zorvane::cli
