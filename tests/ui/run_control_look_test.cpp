// The window's controls through the run control: from each state, each
// command or end leaves each control group usable or not and the start/pause
// command meaning start or pause.
#include "ui/run_control_look.h"

#include <map>

#include <gtest/gtest.h>

#include "tests/core/run_steps.h"

using namespace zorvane;
using namespace zorvane::ui;
using test::Step;

namespace {

using G = ControlGroup;
using S = RunState;

// Controls of plain values, starting as the window's form does: every group
// usable but stop, and the start button meaning start.
class FakeView final : public RunControlView
{
public:
    void setUsable(ControlGroup group, bool usable) override { m_usable[group] = usable; }
    void setStartMeaning(StartMeaning to) override { meaning = to; }

    // The groups in a fixed order as a string of '1' (usable) and '0'.
    std::string look() const
    {
        std::string out;
        for (G g : {G::Inputs, G::Goods, G::TagFilter, G::Export, G::StartPause, G::Stop})
            out += m_usable.at(g) ? '1' : '0';
        return out + (meaning == StartMeaning::Start ? " start" : " pause");
    }

    std::map<ControlGroup, bool> m_usable{{G::Inputs, true}, {G::Goods, true},      {G::TagFilter, true},
                                          {G::Export, true}, {G::StartPause, true}, {G::Stop, false}};
    StartMeaning meaning = StartMeaning::Start;
};

} // namespace

TEST(RunControlLook, EveryStateAndStep)
{
    struct Row
    {
        RunState from;
        Step step;
        const char* look; // inputs, goods list, tags/filter, export, start/pause, stop; meaning
    };
    const Row rows[] = {
        {S::Idle, Step::Start, "000011 pause"},
        {S::Idle, Step::Refused, "111110 start"},
        {S::Idle, Step::Stop, "111110 start"},
        {S::Running, Step::Start, "000000 pause"},
        {S::Running, Step::Stop, "000000 pause"},
        {S::Running, Step::PauseItself, "000011 pause"},
        {S::Running, Step::Finished, "111110 start"},
        {S::Pausing, Step::Stop, "000000 pause"},
        {S::Pausing, Step::Paused, "011011 start"},
        {S::Pausing, Step::Finished, "111110 start"},
        {S::Stopping, Step::PauseItself, "000000 pause"},
        {S::Stopping, Step::Stopped, "111110 start"},
        {S::Paused, Step::Start, "000011 pause"},
        {S::Paused, Step::Refused, "111110 start"},
        {S::Paused, Step::Stop, "111110 start"},
    };
    for (const Row& row : rows) {
        AppState state;
        FakeView view;
        RunControlLook look(view);
        for (Step step : test::pathTo(row.from))
            test::perform(state, step, &look);
        test::perform(state, row.step, &look);
        EXPECT_EQ(view.look(), row.look)
            << "from " << static_cast<int>(row.from) << " by step " << static_cast<int>(row.step);
    }
}

TEST(RunControlLook, AStartThatFailsSeesTheRunningLookWithoutItsButton)
{
    AppState state;
    FakeView view;
    RunControlLook look(view);
    std::string during;
    state.walk.startPause(&look, [&] {
        during = view.look();
        return false;
    });
    EXPECT_EQ(during, "000001 pause");
}
