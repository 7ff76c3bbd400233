#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "cli/cli_options.h"
#include "goods/goods_formats.h"

namespace zorvane::cli {

// Where the goods go and in which form, settled before any work is done.
struct GoodsOutput
{
    std::string path = "-"; // "-" = standard output
    GoodsFormat format = GoodsFormat::Tsv;
    CsvEncoding encoding = CsvEncoding::Gbk;
};

// The output of a command that writes to path (none = standard output). A
// named destination, "-" included, takes the window's CSV unless told
// otherwise; plain standard output takes tsv, which pipes read best. Nothing
// but the one-line reason for --encoding without csv, for xlsx without a named
// destination, and for GBK CSV or xlsx bound for a terminal, where they would
// only show as garbage.
Result<GoodsOutput> resolveOutput(const std::optional<std::string>& path, const OutputOptions& options,
                                  bool stdoutIsTerminal);

// The goods in the output's format (xlsx: its goods pages linked through
// linkOf), or the reason the workbook cannot be made.
Result<std::string> outputBytes(const GoodsList& goods, const GoodsOutput& output,
                                const std::function<std::string(std::string_view)>& linkOf);

// Writes all bytes and flushes; false when any of it failed.
bool writeAll(std::FILE* out, std::string_view bytes);

} // namespace zorvane::cli
