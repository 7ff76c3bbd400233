#include "goods/csv_export.h"

#include <ostream>
#include <sstream>

#include "core/app_state.h"
#include "core/feedback.h"
#include "core/gbk.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/text.h"

namespace zorvane {

namespace {

// Whole lines are converted in blocks of about this many bytes, not field by
// field: a conversion per field would cost more than the converting.
constexpr std::size_t kBlockSize = 64 * 1024;

// Appends the field in quotes, its quotes doubled, in runs rather than
// character by character.
void appendQuoted(std::string& out, std::string_view field)
{
    out += '"';
    for (std::size_t quote = field.find('"'); quote != std::string_view::npos; quote = field.find('"')) {
        out.append(field.substr(0, quote + 1)).push_back('"');
        field.remove_prefix(quote + 1);
    }
    out.append(field);
    out += '"';
}

void appendLine(std::string& block, std::string_view a, std::string_view b, std::string_view c,
                std::string_view d)
{
    appendQuoted(block, a);
    block += ',';
    appendQuoted(block, b);
    block += ',';
    appendQuoted(block, c);
    block += ',';
    appendQuoted(block, d);
    block += "\r\n";
}

} // namespace

std::string quoteCsvField(std::string_view field)
{
    std::string quoted;
    quoted.reserve(field.size() + 2);
    appendQuoted(quoted, field);
    return quoted;
}

void writeCsv(std::ostream& out, const GoodsList& goods, CsvEncoding encoding)
{
    const auto encoded = [encoding](const std::string& utf8) {
        return encoding == CsvEncoding::gbk ? utf8ToGbk(utf8) : sanitizeUtf8(utf8);
    };
    if (encoding == CsvEncoding::utf8)
        out << "\xEF\xBB\xBF";
    std::string block;
    appendLine(block, "名称", "商品ID", "价格", "商品标签");
    for (const GoodsRecord& record : goods) {
        if (record.passesFilter == 0)
            continue;
        appendLine(block, record.name, record.goodsId, formatNumber(record.price), record.tagText);
        // Lines end in ASCII, so a block never splits a character.
        if (block.size() >= kBlockSize) {
            out << encoded(block);
            block.clear();
        }
    }
    out << encoded(block);
}

bool exportCsvFile(const std::string& path, const GoodsList& goods, std::string* error,
                   FileWriteStatus* status)
{
    std::ostringstream bytes;
    writeCsv(bytes, goods);
    FileWriteResult result = replaceFileContents(path, bytes.view());
    if (error)
        *error = result.error;
    if (status)
        *status = result.status;
    return result.ok();
}

std::string exportOutcomeMessage(const std::string& path, FileWriteStatus status)
{
    const std::string quotedPath = "\"" + path + "\"";
    switch (status) {
    case FileWriteStatus::OpenFailed:
        return "导出失败，打开" + quotedPath + "失败";
    case FileWriteStatus::WriteFailed:
        return "导出失败，写入" + quotedPath + "失败";
    case FileWriteStatus::Ok:
        break;
    }
    return "已导出到" + quotedPath;
}

void runExport(AppState& state, FeedbackSink& sink, const std::string& path)
{
    FileWriteStatus status = FileWriteStatus::Ok;
    exportCsvFile(path, state.goods.snapshot(), nullptr, &status);
    appendLog(state, exportOutcomeMessage(path, status));
    sink.send(Feedback{kFeedbackExportEnded, status == FileWriteStatus::Ok ? 1 : 0, std::nullopt});
}

} // namespace zorvane
