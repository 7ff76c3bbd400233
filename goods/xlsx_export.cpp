#include "goods/xlsx_export.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include <unistd.h>
#include <xlsxwriter.h>

#include "base/file_read.h"
#include "base/text.h"
#include "core/app_state.h"
#include "core/feedback.h"
#include "core/log.h"
#include "goods/csv_export.h"
#include "goods/display_text.h"

namespace zorvane {

namespace {

constexpr std::size_t kMaxCellChars = 32767; // Excel's limit for one cell
constexpr std::size_t kMaxUrlChars = 2079;   // Excel's limit for a link's address
constexpr double kMinWidth = 8;
constexpr double kMaxWidth = 80;

// A temporary file name that is ours until it is removed with the object.
class TemporaryFile final
{
public:
    TemporaryFile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zorvane-xlsx-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd >= 0) {
            ::close(fd);
            m_path = pattern;
        }
    }
    ~TemporaryFile()
    {
        if (!m_path.empty())
            std::remove(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Valid UTF-8 of at most Excel's length for a cell.
std::string cellText(std::string_view text)
{
    std::string valid = isValidUtf8(text) ? std::string(text) : sanitizeUtf8(text);
    std::size_t chars = 0;
    for (std::size_t i = 0; i < valid.size(); ++i) {
        if ((static_cast<unsigned char>(valid[i]) & 0xC0) != 0x80 && ++chars > kMaxCellChars) {
            valid.resize(i);
            break;
        }
    }
    return valid;
}

// The width a text takes in a column: a CJK (or other wide) character as two.
double textWidth(std::string_view text)
{
    double width = 0;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            width += 1;
        else if ((c & 0xC0) != 0x80)
            width += c >= 0xE0 ? 2 : 1;
    }
    return width;
}

// The sheet being filled, with its formats and the widest text of each column.
struct Sheet
{
    lxw_worksheet* sheet = nullptr;
    lxw_format* header = nullptr;
    lxw_format* price = nullptr;
    std::vector<double> widths;
    std::size_t links = 0;

    void text(lxw_row_t row, lxw_col_t col, std::string_view value, lxw_format* format = nullptr)
    {
        const std::string cell = cellText(value);
        worksheet_write_string(sheet, row, col, cell.c_str(), format);
        widths[col] = std::max(widths[col], textWidth(cell));
    }

    void link(lxw_row_t row, lxw_col_t col, const std::string& url)
    {
        // Past Excel's limits on links (count, length) the address stays as
        // text: checked here, the library would warn on every such row.
        if (links >= static_cast<std::size_t>(LXW_MAX_NUMBER_URLS) || url.size() > kMaxUrlChars ||
            !isWebAddress(url) ||
            worksheet_write_url(sheet, row, col, url.c_str(), nullptr) != LXW_NO_ERROR) {
            text(row, col, url);
            return;
        }
        ++links;
        widths[col] = std::max(widths[col], textWidth(url));
    }
};

// The shown records from next on, at most rowsPerSheet of them; next is left
// at the first shown record the sheet had no room for, or the end.
void fillSheet(Sheet& s, GoodsList::const_iterator& next, GoodsList::const_iterator end,
               const XlsxOptions& options)
{
    std::vector<const char*> titles = {"名称", "商品ID", "价格", "商品标签", "链接"};
    if (options.withChange)
        titles.push_back("变化");
    s.widths.assign(titles.size(), 0);
    for (lxw_col_t col = 0; col < titles.size(); ++col)
        s.text(0, col, titles[col], s.header);
    const std::size_t rows = std::clamp<std::size_t>(options.rowsPerSheet, 1, kXlsxRowsPerSheet);
    lxw_row_t row = 0;
    for (; next != end && row < rows; ++next) {
        const GoodsRecord& record = *next;
        if (record.passesFilter == 0)
            continue;
        ++row;
        s.text(row, 0, displayText(record.name));
        s.text(row, 1, record.goodsId);
        worksheet_write_number(s.sheet, row, 2, record.price, s.price);
        char shown[64];
        const int length = std::snprintf(shown, sizeof shown, "%.2f", record.price);
        s.widths[2] = std::max(s.widths[2], static_cast<double>(std::max(length, 0)));
        s.text(row, 3, displayText(record.tagText));
        s.link(row, 4, options.linkOf ? options.linkOf(record.goodsId) : std::string());
        if (options.withChange)
            s.text(row, 5, record.change);
    }
    next = std::find_if(next, end, [](const GoodsRecord& record) { return record.passesFilter != 0; });
    worksheet_freeze_panes(s.sheet, 1, 0);
    worksheet_autofilter(s.sheet, 0, 0, row, static_cast<lxw_col_t>(titles.size() - 1));
    for (lxw_col_t col = 0; col < titles.size(); ++col) {
        // Room for the filter button beside the header's text.
        const double width = std::max(s.widths[col], textWidth(titles[col]) + 3) + 1;
        worksheet_set_column(s.sheet, col, col, std::clamp(width, kMinWidth, kMaxWidth), nullptr);
    }
}

} // namespace

Result<std::string> xlsxWorkbookBytes(const GoodsList& goods, const XlsxOptions& options)
{
    // The library writes only to a named file; the bytes then take the same
    // careful way to the target as the CSV's.
    TemporaryFile file;
    lxw_workbook* workbook = file.path().empty() ? nullptr : workbook_new(file.path().c_str());
    if (!workbook)
        return Failure{"cannot create a temporary file"};
    lxw_format* header = workbook_add_format(workbook);
    format_set_bold(header);
    lxw_format* price = workbook_add_format(workbook);
    format_set_num_format(price, "0.00");
    // Goods past a sheet's last row go on in the next sheet, never dropped.
    auto next = goods.begin();
    for (int number = 1; number == 1 || next != goods.end(); ++number) {
        const std::string name = number == 1 ? "商品" : "商品 " + std::to_string(number);
        Sheet s{workbook_add_worksheet(workbook, name.c_str()), header, price, {}, 0};
        fillSheet(s, next, goods.end(), options);
    }
    const lxw_error closed = workbook_close(workbook);
    std::string bytes;
    // The file is the library's own, written just now: the limit only keeps
    // a runaway from taking all memory.
    constexpr std::size_t kMostWorkbookBytes = std::size_t{4} << 30;
    if (closed != LXW_NO_ERROR || readWholeFile(file.path(), bytes, kMostWorkbookBytes) != ReadOutcome::Read)
        return Failure{closed != LXW_NO_ERROR ? lxw_strerror(closed) : "cannot read the temporary file"};
    return bytes;
}

FileWriteResult exportXlsxFile(const std::string& path, const GoodsList& goods, const XlsxOptions& options)
{
    const Result<std::string> bytes = xlsxWorkbookBytes(goods, options);
    if (!bytes.ok())
        return FileWriteResult{FileWriteStatus::WriteFailed, bytes.error()};
    return replaceFileContents(path, *bytes);
}

void runXlsxExport(AppState& state, FeedbackSink& sink, const std::string& path)
{
    XlsxOptions options;
    options.linkOf = [&state](std::string_view goodsId) { return state.goodsAddress.addressOf(goodsId); };
    options.withChange = true;
    const FileWriteResult result = exportXlsxFile(path, state.goods.snapshot(), options);
    appendLog(state, exportOutcomeMessage(path, result.status));
    if (!result.ok()) {
        sink.send(Feedback{kFeedbackExportEnded, 0, exportFailureMessage(path, result)});
        return;
    }
    sink.send(Feedback{kFeedbackExportEnded, 1, std::nullopt});
}

} // namespace zorvane
