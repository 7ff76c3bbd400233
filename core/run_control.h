#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane {

struct AppState;

inline constexpr std::string_view kStartPauseButton = "按钮_控制_开始2暂停";
inline constexpr std::string_view kStopButton = "按钮_控制_停止";

// What the run control needs of a window: its named controls (a name starts
// with the control's kind, e.g. "按钮_…"), their enabled state and captions.
class ControlPanel
{
public:
    virtual ~ControlPanel() = default;
    // Every named control, in the window's own order.
    virtual std::vector<std::string> controlNames() const = 0;
    virtual void setEnabled(std::string_view name, bool enabled) = 0;
    virtual void setCaption(std::string_view name, std::string_view caption) = 0;
};

// Disables (lock) or enables every control of the lockable kinds that is not
// exempt ("name|" occurs in the exceptions), then gives the stop button the
// opposite state.
void setControlsLocked(ControlPanel& panel, bool lock, std::string_view extraExceptions = {});

// The start/pause button. startSearch validates, fixes the parameters and
// starts the walk; it returns false when nothing was started.
void startPause(AppState& state, ControlPanel& panel, const std::function<bool()>& startSearch);

// The stop button: signals a running walk, or forgets a paused one.
void stopCommand(AppState& state, ControlPanel& panel);

// The window's side of the walk's end (code 1091), run while the search
// thread still waits in its send.
void searchEnded(AppState& state, ControlPanel& panel);

} // namespace zorvane
