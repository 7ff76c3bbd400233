#pragma once

#include <string>
#include <string_view>

#include "core/goods_record.h"
#include "goods/csv_export.h"

namespace zorvane {

// The ways the goods leave the program: the window's CSV export, one line of
// tab-separated fields per item, one JSON object per item and line, or an
// Excel workbook (written by xlsx_export.h, not by the functions here).
enum class GoodsFormat
{
    Csv,
    Tsv,
    Json,
    Xlsx
};

// A field on its one line: tab, LF and CR as \t, \n and \r, a backslash as
// \\, and every other control byte (C0, DEL, each byte of a C1 character)
// as \xHH, so that a line shows on a terminal as it is written.
std::string escapeTsvField(std::string_view field);

// escapeTsvField's text appended to out.
void appendTsvField(std::string& out, std::string_view field);

// "goodsId TAB name TAB price TAB tagText" with LF, each field escaped; UTF-8.
std::string tsvLine(const GoodsRecord& record);
// The same appended to out, so that a writer of many lines can keep one buffer.
void appendTsvLine(std::string& out, const GoodsRecord& record);

// {"goodsId":"…","name":"…","price":12.5,"tags":["…"]} and LF. Invalid UTF-8
// becomes U+FFFD so that every line parses; a price that is no finite number
// is null.
std::string jsonLine(const GoodsRecord& record);

// One record's line in tsv or json (csv has a header and is written whole).
std::string goodsLine(const GoodsRecord& record, GoodsFormat format);
void appendGoodsLine(std::string& out, const GoodsRecord& record, GoodsFormat format);

// The shown records (passesFilter set), in list order, in the format; the
// encoding counts for csv only, tsv and json are always UTF-8.
std::string formatGoods(const GoodsList& goods, GoodsFormat format, CsvEncoding encoding);

} // namespace zorvane
