#include "goods/csv_export.h"

#include <ostream>
#include <sstream>

#include "base/file_error.h"
#include "base/gbk.h"
#include "base/numbers.h"
#include "base/text.h"
#include "core/app_state.h"
#include "core/feedback.h"
#include "core/log.h"

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

std::size_t writeCsv(std::ostream& out, const GoodsList& goods, CsvEncoding encoding)
{
    std::size_t replaced = 0;
    const auto encoded = [encoding, &replaced](const std::string& utf8) {
        if (encoding == CsvEncoding::Utf8)
            return sanitizeUtf8(utf8);
        std::size_t inBlock = 0;
        std::string gbk = utf8ToGbk(utf8, &inBlock);
        replaced += inBlock;
        return gbk;
    };
    if (encoding == CsvEncoding::Utf8)
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
    return replaced;
}

CsvExportResult exportCsvFile(const std::string& path, const GoodsList& goods, CsvEncoding encoding)
{
    std::ostringstream bytes;
    CsvExportResult result;
    result.replaced = writeCsv(bytes, goods, encoding);
    result.write = replaceFileContents(path, bytes.view());
    return result;
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

std::string exportFailureMessage(const std::string& path, const FileWriteResult& result)
{
    return exportOutcomeMessage(path, result.status) + "：" + fileErrorCause(result.errorNumber);
}

std::string replacedCharactersMessage(std::size_t replaced)
{
    return std::to_string(replaced) + "个字符GBK无法表示，已写成?；导出时选择UTF-8格式可保留";
}

void runExport(AppState& state, FeedbackSink& sink, const std::string& path, CsvEncoding encoding)
{
    const CsvExportResult result = exportCsvFile(path, state.goods.snapshot(), encoding);
    appendLog(state, exportOutcomeMessage(path, result.write.status));
    if (!result.write.ok()) {
        sink.send(Feedback{kFeedbackExportEnded, 0, exportFailureMessage(path, result.write)});
        return;
    }
    if (result.replaced > 0)
        appendLog(state, replacedCharactersMessage(result.replaced));
    sink.send(Feedback{kFeedbackExportEnded, 1, std::nullopt});
}

} // namespace zorvane
