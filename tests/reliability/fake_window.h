#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "search/search_thread.h"
#include "tests/reliability/ui_thread.h"
#include "ui/run_control_look.h"

namespace zorvane::test {

using ui::ControlGroup;
using ui::RunControlView;
using ui::StartMeaning;

// The window's controls as plain values, by group; every group starts
// usable but stop, and the start/pause button means start.
class FakePanel final : public RunControlView
{
public:
    void setUsable(ControlGroup group, bool usable) override { m_usable[group] = usable; }
    void setStartMeaning(StartMeaning meaning) override { m_meaning = meaning; }

    bool isUsable(ControlGroup group) const { return m_usable.at(group); }
    StartMeaning meaning() const { return m_meaning; }

private:
    std::map<ControlGroup, bool> m_usable{{ControlGroup::Inputs, true},     {ControlGroup::Goods, true},
                                          {ControlGroup::TagFilter, true},  {ControlGroup::Export, true},
                                          {ControlGroup::StartPause, true}, {ControlGroup::Stop, false}};
    StartMeaning m_meaning = StartMeaning::Start;
};

// The window's part in the goods and run commands, without a toolkit: its
// commands and its handlers of the workers' messages run on one UI thread,
// and it starts the workers as the window does. Everything but the
// constructor runs on that thread.
class FakeWindow final
{
public:
    FakeWindow(UiThread& ui, std::shared_ptr<AppState> state, SearchInput typed, std::string exportPath);

    FeedbackSink& sink() { return *m_sink; }

    // Clicks, each doing nothing on a disabled control as a real click would.
    void clickStartPause();
    void clickStop();
    void clickFilter(const std::string& minPrice, const std::string& maxPrice);
    void clickPriceHeader();
    void clickClear();
    void clickExport();

    // True when no walk is active and no worker runs.
    bool quiet() const;

    // What a test checks once the window is quiet.
    FakePanel& panel() { return m_panel; }
    // The goods list's rows (goods ids), top to bottom.
    const std::vector<std::string>& rows() const { return m_rows; }
    // How often a 1006 message announced each goods id since the last clear.
    const std::map<std::string, int>& announced() const { return m_announced; }
    // A pause was clicked since the last start.
    bool pauseClicked() const { return m_pauseClicked; }
    int exportsEnded() const { return m_exportsEnded; }

private:
    void handle(const Feedback& message);
    bool startSearch();
    void addGoodsRow(const GoodsRecord& record);

    UiThread& m_ui;
    std::shared_ptr<AppState> m_state;
    std::shared_ptr<UiSink> m_sink;
    SearchInput m_typed;
    std::string m_exportPath;
    FakePanel m_panel;
    ui::RunControlLook m_look{m_panel};
    std::vector<std::string> m_rows;
    std::vector<std::string> m_tagRows;
    bool m_sortAscending = false;
    std::map<std::string, int> m_announced;
    bool m_pauseClicked = false;
    int m_exportsEnded = 0;
};

} // namespace zorvane::test
