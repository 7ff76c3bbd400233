#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "base/file_replace.h"
#include "base/result.h"
#include "core/goods_record.h"

namespace zorvane {

struct AppState;
class FeedbackSink;

// The most goods rows an Excel sheet holds below its header.
inline constexpr std::size_t kXlsxRowsPerSheet = 1'048'575;

struct XlsxOptions
{
    std::function<std::string(std::string_view goodsId)> linkOf; // the goods page's address
    bool withChange = false;                                     // the window's 变化 column after 链接
    std::size_t rowsPerSheet = kXlsxRowsPerSheet;                // fewer only for a test's sake
};

// The workbook of the shown records (passesFilter set), in list order: sheet
// 商品, header 名称 商品ID 价格 商品标签 链接 (变化), bold and frozen, an
// auto-filter over the data and columns as wide as their texts. Names and
// tags in their display form, the id a text cell (a 13-digit id would show
// as 1.00445E+13), the price a number shown "0.00", the link a hyperlink to
// the goods page. Nothing but libxlsxwriter's reason when the workbook cannot
// be made. Goods beyond a sheet's rows go on in sheets 商品 2, 商品 3, … of
// the same form; past Excel's 65,530 links in a sheet (or a longer address
// than a link may have) the address is plain text.
Result<std::string> xlsxWorkbookBytes(const GoodsList& goods, const XlsxOptions& options);

// The workbook written to path through replaceFileContents, as the CSV is.
FileWriteResult exportXlsxFile(const std::string& path, const GoodsList& goods, const XlsxOptions& options);

// The window's workbook export worker: the store's shown records with 变化,
// logged and ended (1094) as the CSV export is.
void runXlsxExport(AppState& state, FeedbackSink& sink, const std::string& path);

} // namespace zorvane
