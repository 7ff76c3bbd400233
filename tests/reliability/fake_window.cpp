#include "tests/reliability/fake_window.h"

#include <system_error>

#include "core/log.h"
#include "goods/csv_export.h"
#include "goods/filter.h"
#include "goods/sort.h"

namespace zorvane::test {

namespace {

const std::string kStartPause(kStartPauseButton);
const std::string kStop(kStopButton);
const std::string kFilterButton = "按钮_筛选";
const std::string kExportButton = "按钮_导出";
const std::string kClearButton = "按钮_清空商品";
const std::string kGoodsList = "超级列表框_商品列表";

} // namespace

FakePanel::FakePanel()
    : m_names{"按钮_控制_开始2暂停",
              "按钮_控制_停止",
              "按钮_清空商品",
              "按钮_筛选",
              "按钮_导出",
              "按钮_日志_清空",
              "编辑框_参数_地址",
              "编辑框_参数_间隔",
              "编辑框_参数_页数",
              "编辑框_参数_附加协议头",
              "编辑框_参数_COOKIE",
              "编辑框_价格min",
              "编辑框_价格max",
              "编辑框_日志",
              "超级列表框_商品列表",
              "超级列表框_商品标签",
              "标签_反馈标签",
              "分组框_标签",
              "选择框_只看新品和降价"}
{
    for (const std::string& name : m_names)
        m_enabled[name] = true;
    m_enabled[kStop] = false;
    m_captions[kStartPause] = "开始";
}

std::vector<std::string> FakePanel::controlNames() const
{
    return m_names;
}

void FakePanel::setEnabled(std::string_view name, bool on)
{
    m_enabled.at(std::string(name)) = on;
}

void FakePanel::setCaption(std::string_view name, std::string_view caption)
{
    m_captions[std::string(name)] = std::string(caption);
}

std::vector<std::string> FakePanel::lockableNames() const
{
    std::vector<std::string> names;
    for (const std::string& name : m_names) {
        const bool lockableKind =
            name.starts_with("按钮_") || name.starts_with("编辑框_") || name.starts_with("超级列表框_");
        if (lockableKind && name != kStartPause && name != kStop && name != "按钮_日志_清空" &&
            name != "编辑框_日志")
            names.push_back(name);
    }
    return names;
}

FakeWindow::FakeWindow(UiThread& ui, std::shared_ptr<AppState> state, SearchInput typed,
                       std::string exportPath)
    : m_ui(ui), m_state(std::move(state)),
      m_sink(std::make_shared<UiSink>(ui, [this](const Feedback& message) { handle(message); })),
      m_typed(std::move(typed)), m_exportPath(std::move(exportPath))
{
}

void FakeWindow::handle(const Feedback& message)
{
    switch (message.code) {
    case kFeedbackNewGoods: {
        NewGoods fresh = takeNewGoods(*m_state, message.number);
        if (fresh.record) {
            ++m_announced[fresh.record->goodsId];
            addGoodsRow(*fresh.record);
        }
        m_tagRows.insert(m_tagRows.end(), fresh.newTags.begin(), fresh.newTags.end());
        break;
    }
    case kFeedbackShowGoods:
        if (std::optional<GoodsRecord> record = copyGoods(*m_state, message.number))
            addGoodsRow(*record);
        break;
    case kFeedbackSearchEnded:
        searchEnded(*m_state, m_panel);
        break;
    case kFeedbackFilterEnded:
    case kFeedbackSortEnded: {
        const bool filter = message.code == kFeedbackFilterEnded;
        closeThreadHandle(*m_state, filter ? m_state->filterRunning : m_state->sortRunning);
        m_panel.setEnabled(kFilterButton, true);
        m_panel.setEnabled(kGoodsList, true);
        appendLog(*m_state, filter ? "筛选完毕" : "排序完毕");
        break;
    }
    case kFeedbackExportEnded:
        closeThreadHandle(*m_state, m_state->exportRunning);
        m_panel.setEnabled(kExportButton, true);
        appendLog(*m_state, "导出完毕");
        ++m_exportsEnded;
        break;
    default:
        break;
    }
}

void FakeWindow::addGoodsRow(const GoodsRecord& record)
{
    if (record.passesFilter != 0)
        m_rows.push_back(record.goodsId);
}

bool FakeWindow::startSearch()
{
    if (!prepareSearchStart(*m_state, m_typed).accepted)
        return false;
    try {
        // As the window: the thread holds the state and the sink itself.
        m_state->searchThread =
            std::thread([state = m_state, sink = m_sink] { searchThreadMain(*state, *sink); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void FakeWindow::clickStartPause()
{
    if (!m_panel.isEnabled(kStartPause))
        return;
    const bool pausing = m_panel.caption(kStartPause) == "暂停";
    m_pauseClicked = pausing;
    zorvane::startPause(*m_state, m_panel, [this] { return startSearch(); });
}

void FakeWindow::clickStop()
{
    if (m_panel.isEnabled(kStop))
        zorvane::stopCommand(*m_state, m_panel);
}

void FakeWindow::clickFilter(const std::string& minPrice, const std::string& maxPrice)
{
    if (!m_panel.isEnabled(kFilterButton))
        return;
    m_panel.setEnabled(kFilterButton, false);
    if (!busyCheck(*m_state, true)) {
        m_panel.setEnabled(kFilterButton, true);
        return;
    }
    FilterCriteria criteria = makeFilterCriteria({}, minPrice, maxPrice);
    {
        std::lock_guard guard(*m_state->goodsLock);
        m_state->filterCriteria = std::move(criteria);
    }
    m_panel.setEnabled(kGoodsList, false);
    m_rows.clear();
    m_state->filterRunning = std::thread([state = m_state, sink = m_sink] { runFilter(*state, *sink); });
}

void FakeWindow::clickPriceHeader()
{
    if (!m_panel.isEnabled(kGoodsList))
        return;
    m_panel.setEnabled(kGoodsList, false);
    if (!busyCheck(*m_state, true)) {
        m_panel.setEnabled(kGoodsList, true);
        return;
    }
    m_panel.setEnabled(kFilterButton, false);
    m_rows.clear();
    m_state->sortAscending = (m_state->sortAscending.load() & 1) ^ 1;
    m_state->sortRunning = std::thread([state = m_state, sink = m_sink] { runSort(*state, *sink); });
}

void FakeWindow::clickClear()
{
    if (!m_panel.isEnabled(kClearButton) || !busyCheck(*m_state, true))
        return;
    clearGoodsStore(*m_state, [this] {
        m_rows.clear();
        m_tagRows.clear();
        m_announced.clear();
    });
    appendLog(*m_state, "已清空");
}

void FakeWindow::clickExport()
{
    if (!m_panel.isEnabled(kExportButton))
        return;
    m_panel.setEnabled(kExportButton, false);
    if (m_state->exportRunning.joinable()) {
        appendLog(*m_state, "正在导出中");
        m_panel.setEnabled(kExportButton, true);
        return;
    }
    {
        std::lock_guard guard(*m_state->paramsLock);
        m_state->exportPath = m_exportPath;
    }
    m_state->exportRunning = std::thread([state = m_state, sink = m_sink] { runExport(*state, *sink); });
}

bool FakeWindow::quiet() const
{
    return m_state->searchRunning.load() == 0 && !m_state->filterRunning.joinable() &&
           !m_state->sortRunning.joinable() && !m_state->exportRunning.joinable();
}

} // namespace zorvane::test
