#include "cli/goods_output.h"

#include "cli/translation.h"
#include "goods/xlsx_export.h"

namespace zorvane::cli {

Result<GoodsOutput> resolveOutput(const std::optional<std::string>& path, const OutputOptions& options,
                                  bool stdoutIsTerminal)
{
    GoodsOutput output;
    output.path = path.value_or("-");
    output.format = options.format.value_or(path ? GoodsFormat::Csv : GoodsFormat::Tsv);
    output.encoding = options.encoding.value_or(CsvEncoding::Gbk);
    if (options.encoding && output.format != GoodsFormat::Csv)
        return Failure{_("--encoding applies to --format csv only")};
    if (output.format == GoodsFormat::Xlsx && !path)
        return Failure{_("--format xlsx needs -o FILE")};
    if (output.path == "-" && stdoutIsTerminal && output.format == GoodsFormat::Xlsx)
        return Failure{_("an xlsx workbook does not show on a terminal; use -o FILE")};
    if (output.path == "-" && stdoutIsTerminal && output.format == GoodsFormat::Csv &&
        output.encoding == CsvEncoding::Gbk)
        return Failure{
            _("GBK CSV does not show on a terminal; use --format tsv, --encoding utf-8 or -o FILE")};
    return output;
}

Result<std::string> outputBytes(const GoodsList& goods, const GoodsOutput& output,
                                const std::function<std::string(std::string_view)>& linkOf)
{
    if (output.format != GoodsFormat::Xlsx)
        return formatGoods(goods, output.format, output.encoding);
    return xlsxWorkbookBytes(goods, XlsxOptions{linkOf, false});
}

bool writeAll(std::FILE* out, std::string_view bytes)
{
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fflush(out) == 0 && written && !std::ferror(out);
}

} // namespace zorvane::cli
