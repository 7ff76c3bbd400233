#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "base/file_replace.h"
#include "core/goods_record.h"

namespace zorvane {

struct AppState;
class FeedbackSink;

// The character set of a CSV file: GBK is the window's; UTF-8 starts with a
// byte-order mark so that spreadsheet programs take it for UTF-8.
enum class CsvEncoding
{
    Gbk,
    Utf8
};

// The field in double quotes, each double quote inside written twice.
std::string quoteCsvField(std::string_view field);

// The CSV file's bytes: GBK (a character GBK lacks becomes '?'), the header
// "名称","商品ID","价格","商品标签", then one line per record with
// passesFilter set, in list order; every field quoted, CR LF after every line.
// In UTF-8 the same lines follow a byte-order mark. Returns how many
// characters became '?' (none in UTF-8).
std::size_t writeCsv(std::ostream& out, const GoodsList& goods, CsvEncoding encoding = CsvEncoding::Gbk);

// How writing a CSV file went.
struct CsvExportResult
{
    FileWriteResult write;    // its error is the reason when not ok()
    std::size_t replaced = 0; // characters GBK lacks, written as '?'

    bool ok() const { return write.ok(); }
};

// Writes the CSV file, replacing any previous file only once the new one is
// complete (see replaceFileContents).
CsvExportResult exportCsvFile(const std::string& path, const GoodsList& goods,
                              CsvEncoding encoding = CsvEncoding::Gbk);

// The log line for an export's outcome: "已导出到"<path>"", or
// "导出失败，打开"<path>"失败" / "导出失败，写入"<path>"失败".
std::string exportOutcomeMessage(const std::string& path, FileWriteStatus status);

// A failed export's outcome line with its cause: "导出失败，写入"<path>"失败：磁盘已满".
std::string exportFailureMessage(const std::string& path, const FileWriteResult& result);

// The log line after a GBK export that lacked characters: how many, and
// that UTF-8 keeps them.
std::string replacedCharactersMessage(std::size_t replaced);

// The export worker: writes the store's shown records to path, logs the
// outcome (and the characters GBK lacked) and sends 1094, whose text on a
// failure is exportFailureMessage.
void runExport(AppState& state, FeedbackSink& sink, const std::string& path,
               CsvEncoding encoding = CsvEncoding::Gbk);

} // namespace zorvane
