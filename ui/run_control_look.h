#pragma once

#include "core/walk_session.h"

namespace zorvane::ui {

// The window's controls as the run control's look sees them.
enum class ControlGroup
{
    Inputs,     // the search's input boxes and the clearing of the goods
    Goods,      // the goods list and its sorting
    TagFilter,  // the tag list, the price bounds and the filter command
    Export,     // the export command
    StartPause, // the start/pause command
    Stop,       // the stop command
};

// What the start/pause command does next.
enum class StartMeaning
{
    Start,
    Pause,
};

// Controls by group; the window's widgets or a test's plain values.
class RunControlView
{
public:
    virtual ~RunControlView() = default;
    virtual void setUsable(ControlGroup group, bool usable) = 0;
    virtual void setStartMeaning(StartMeaning meaning) = 0;
};

// Turns what the run control tells into which controls are usable. Each
// transition touches only the groups it concerns: what the window did to the
// others meanwhile (a filter or an export that ended) stays.
class RunControlLook final : public RunStateListener
{
public:
    explicit RunControlLook(RunControlView& view) : m_view(view) {}

    void commandInProgress(bool inProgress) override;
    void stateChanged(RunState from, RunState to) override;

private:
    void lockControls(bool lock);

    RunControlView& m_view;
};

} // namespace zorvane::ui
