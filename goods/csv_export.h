#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "core/goods_record.h"
#include "core/file_replace.h"

namespace zorvane {

struct AppState;
class FeedbackSink;

// The character set of a CSV file: GBK is the window's; UTF-8 starts with a
// byte-order mark so that spreadsheet programs take it for UTF-8.
enum class CsvEncoding
{
    gbk,
    utf8
};

// The field in double quotes, each double quote inside written twice.
std::string quoteCsvField(std::string_view field);

// The CSV file's bytes: GBK (a character GBK lacks becomes '?'), the header
// "名称","商品ID","价格","商品标签", then one line per record with
// passesFilter set, in list order; every field quoted, CR LF after every line.
// In UTF-8 the same lines follow a byte-order mark.
void writeCsv(std::ostream& out, const GoodsList& goods, CsvEncoding encoding = CsvEncoding::gbk);

// Writes the CSV file, replacing any previous file only once the new one is
// complete (see replaceFileContents). On failure gives the reason in error
// and, when asked, whether opening or writing failed.
bool exportCsvFile(const std::string& path, const GoodsList& goods, std::string* error,
                   FileWriteStatus* status = nullptr);

// The log line for an export's outcome: "已导出到"<path>"", or
// "导出失败，打开"<path>"失败" / "导出失败，写入"<path>"失败".
std::string exportOutcomeMessage(const std::string& path, FileWriteStatus status);

// The export worker: writes the store's shown records to path, logs the
// outcome and sends 1094.
void runExport(AppState& state, FeedbackSink& sink, const std::string& path);

} // namespace zorvane
