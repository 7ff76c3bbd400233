#include "goods/csv_export.h"

#include <ostream>
#include <sstream>

#include "core/app_state.h"
#include "core/feedback.h"
#include "core/gbk.h"
#include "core/log.h"
#include "core/numbers.h"

namespace zorvane {

namespace {

// Lines are converted in blocks of about this many bytes: one converter per
// line would cost more than the conversion.
constexpr std::size_t kBlockSize = 64 * 1024;

void appendLine(std::string& block, std::string_view a, std::string_view b, std::string_view c,
                std::string_view d)
{
    block += quoteCsvField(a);
    block += ',';
    block += quoteCsvField(b);
    block += ',';
    block += quoteCsvField(c);
    block += ',';
    block += quoteCsvField(d);
    block += "\r\n";
}

} // namespace

std::string quoteCsvField(std::string_view field)
{
    std::string quoted;
    quoted.reserve(field.size() + 2);
    quoted += '"';
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void writeCsv(std::ostream& out, const GoodsList& goods)
{
    std::string block;
    appendLine(block, "名称", "商品ID", "价格", "商品标签");
    for (const GoodsRecord& record : goods) {
        if (record.passesFilter == 0)
            continue;
        appendLine(block, record.name, record.goodsId, formatNumber(record.price), record.tagText);
        // Lines end in ASCII, so a block never splits a character.
        if (block.size() >= kBlockSize) {
            out << utf8ToGbk(block);
            block.clear();
        }
    }
    out << utf8ToGbk(block);
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
    sink.send(Feedback{kFeedbackExportEnded, 0, std::nullopt});
}

} // namespace zorvane
