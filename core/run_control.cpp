#include "core/run_control.h"

#include <mutex>

#include "core/app_state.h"
#include "core/log.h"
#include "core/text.h"

namespace zorvane {

namespace {

constexpr std::string_view kLockedKinds[] = {"按钮",   "组合框", "编辑框",    "单选框",
                                             "选择框", "日期框", "超级列表框"};
constexpr std::string_view kLockExceptions =
    "|按钮_日志_清空|编辑框_日志|按钮_控制_开始2暂停|按钮_控制_停止|";

// Controls a paused walk leaves usable: filtering and sorting stay possible.
constexpr std::string_view kOpenWhilePaused[] = {"超级列表框_商品列表", "超级列表框_商品标签",
                                                 "编辑框_价格min",      "编辑框_价格max",
                                                 "按钮_筛选",           "选择框_只看新品和降价"};

void forgetPosition(AppState& state)
{
    std::lock_guard guard(*state.paramsLock);
    state.searchParams.nextPageAddress.clear();
}

} // namespace

void setControlsLocked(ControlPanel& panel, bool lock, std::string_view extraExceptions)
{
    const std::string exceptions = std::string(extraExceptions) + std::string(kLockExceptions);
    const std::vector<std::string> names = panel.controlNames();
    for (std::string_view kind : kLockedKinds) {
        const std::string prefix = std::string(kind) + "_";
        for (const std::string& name : names) {
            if (startsWith(name, prefix) && exceptions.find(name + "|") == std::string::npos)
                panel.setEnabled(name, !lock);
        }
    }
    panel.setEnabled(kStopButton, lock);
}

void startPause(AppState& state, ControlPanel& panel, const std::function<bool()>& startSearch)
{
    panel.setEnabled(kStartPauseButton, false);
    if (state.searchRunning.exchange(1) == 0) {
        setControlsLocked(panel, true);
        state.stopRequested = 1;
        panel.setCaption(kStartPauseButton, "暂停");
        if (startSearch()) {
            panel.setEnabled(kStartPauseButton, true);
            appendLog(state, "开始成功");
        } else {
            panel.setCaption(kStartPauseButton, "开始");
            panel.setEnabled(kStartPauseButton, true);
            setControlsLocked(panel, false);
            state.searchRunning = 0;
            appendLog(state, "开始失败");
        }
        return;
    }
    appendLog(state, "正在暂停。。。");
    panel.setEnabled(kStopButton, false);
    panel.setEnabled(kStartPauseButton, false);
    state.stopRequested = 0;
    state.stopEvent.set();
}

void stopCommand(AppState& state, ControlPanel& panel)
{
    if (state.searchRunning.load() != 0) {
        appendLog(state, "正在停止。。。");
        panel.setEnabled(kStopButton, false);
        panel.setEnabled(kStartPauseButton, false);
        state.stopRequested = 1;
        state.stopEvent.set();
        return;
    }
    forgetPosition(state);
    setControlsLocked(panel, false);
    appendLog(state, "已停止");
}

void searchEnded(AppState& state, ControlPanel& panel)
{
    closeThreadHandle(state, state.searchThread);
    state.stopEvent.reset();
    panel.setCaption(kStartPauseButton, "开始");
    panel.setEnabled(kStartPauseButton, true);
    const bool stopped = state.stopRequested.load() != 0;
    if (stopped) {
        forgetPosition(state);
        setControlsLocked(panel, false);
    } else {
        panel.setEnabled(kStopButton, true);
        for (std::string_view name : kOpenWhilePaused)
            panel.setEnabled(name, true);
    }
    state.searchRunning = 0;
    appendLog(state, stopped ? "已停止" : "已暂停");
}

} // namespace zorvane
