#include "tests/reliability/fake_window.h"

#include <algorithm>

#include "core/log.h"
#include "goods/csv_export.h"
#include "goods/filter.h"
#include "goods/sort.h"

namespace zorvane::test {

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
        if (!message.goods)
            break;
        const GoodsRecord& record = message.goods->record;
        ++m_announced[record.goodsId];
        addGoodsRow(record);
        // As the tag list: each tag once, in the order first seen.
        for (const std::string& tag : record.tags) {
            if (std::find(m_tagRows.begin(), m_tagRows.end(), tag) == m_tagRows.end())
                m_tagRows.push_back(tag);
        }
        break;
    }
    case kFeedbackShowGoods:
        if (std::optional<GoodsRecord> record = m_state->goods.copyAt(message.number))
            addGoodsRow(*record);
        break;
    case kFeedbackSearchEnded:
        if (!message.end)
            break;
        m_state->workers.release(Worker::Search);
        m_state->walk.ended(&m_look, message.end->reason);
        break;
    case kFeedbackFilterEnded:
    case kFeedbackSortEnded: {
        const bool filter = message.code == kFeedbackFilterEnded;
        m_state->workers.release(filter ? Worker::Filter : Worker::Sort);
        m_panel.setUsable(ControlGroup::TagFilter, true);
        m_panel.setUsable(ControlGroup::Goods, true);
        appendLog(*m_state, filter ? "筛选完毕" : "排序完毕");
        break;
    }
    case kFeedbackExportEnded:
        m_state->workers.release(Worker::Export);
        m_panel.setUsable(ControlGroup::Export, true);
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
    SearchStart start = prepareSearchStart(*m_state, m_typed);
    if (!start.accepted)
        return false;
    // As the window: the thread holds the state and the sink itself.
    return m_state->workers.start(Worker::Search,
                                  [state = m_state, sink = m_sink, job = std::move(start.job)] {
                                      searchThreadMain(*state, job, *sink);
                                  });
}

void FakeWindow::clickStartPause()
{
    if (!m_panel.isUsable(ControlGroup::StartPause))
        return;
    m_pauseClicked = m_panel.meaning() == StartMeaning::Pause;
    m_state->walk.startPause(&m_look, [this] { return startSearch(); });
}

void FakeWindow::clickStop()
{
    if (m_panel.isUsable(ControlGroup::Stop))
        m_state->walk.stop(&m_look);
}

void FakeWindow::clickFilter(const std::string& minPrice, const std::string& maxPrice)
{
    if (!m_panel.isUsable(ControlGroup::TagFilter))
        return;
    m_panel.setUsable(ControlGroup::TagFilter, false);
    if (!busyCheck(*m_state, true)) {
        m_panel.setUsable(ControlGroup::TagFilter, true);
        return;
    }
    const FilterCriteria criteria = makeFilterCriteria({}, minPrice, maxPrice);
    m_panel.setUsable(ControlGroup::Goods, false);
    m_rows.clear();
    m_state->workers.start(
        Worker::Filter, [state = m_state, sink = m_sink, criteria] { runFilter(*state, *sink, criteria); });
}

void FakeWindow::clickPriceHeader()
{
    if (!m_panel.isUsable(ControlGroup::Goods))
        return;
    m_panel.setUsable(ControlGroup::Goods, false);
    if (!busyCheck(*m_state, true)) {
        m_panel.setUsable(ControlGroup::Goods, true);
        return;
    }
    m_panel.setUsable(ControlGroup::TagFilter, false);
    m_rows.clear();
    m_sortAscending = !m_sortAscending;
    m_state->workers.start(Worker::Sort, [state = m_state, sink = m_sink, ascending = m_sortAscending] {
        runSort(*state, *sink, ascending);
    });
}

void FakeWindow::clickClear()
{
    if (!m_panel.isUsable(ControlGroup::Inputs) || !busyCheck(*m_state, true))
        return;
    m_state->goods.clear([this] {
        m_rows.clear();
        m_tagRows.clear();
        m_announced.clear();
    });
    m_sortAscending = false;
    appendLog(*m_state, "已清空");
}

void FakeWindow::clickExport()
{
    if (!m_panel.isUsable(ControlGroup::Export))
        return;
    m_panel.setUsable(ControlGroup::Export, false);
    if (m_state->workers.running(Worker::Export)) {
        appendLog(*m_state, "正在导出中");
        m_panel.setUsable(ControlGroup::Export, true);
        return;
    }
    m_state->workers.start(Worker::Export, [state = m_state, sink = m_sink, path = m_exportPath] {
        runExport(*state, *sink, path);
    });
}

bool FakeWindow::quiet() const
{
    Workers& workers = m_state->workers;
    return !m_state->walk.walking() && !workers.running(Worker::Filter) && !workers.running(Worker::Sort) &&
           !workers.running(Worker::Export);
}

} // namespace zorvane::test
