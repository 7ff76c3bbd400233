// The walk session's run-control table over its typed API: from each state,
// each command or end gives the next state, its log line, the controls'
// look and what becomes of the position.
#include <map>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/log.h"
#include "core/walk_session.h"

using namespace zorvane;

namespace {

using G = ControlGroup;
using S = RunState;

// A front end of plain values, starting as the window's form does: every
// group usable but stop, and the start button meaning start.
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

enum class Step
{
    Start,   // start/pause, the start being accepted
    Refused, // start/pause, the start being refused
    Stop,
    Finished, // the walk ended, having run out of pages
    Paused,   // the walk ended paused
    Stopped,  // the walk ended stopped
    PauseItself,
};

// The steps that lead from Idle to a state.
std::vector<Step> pathTo(RunState state)
{
    switch (state) {
    case S::Idle:
        return {};
    case S::Running:
        return {Step::Start};
    case S::Pausing:
        return {Step::Start, Step::Start};
    case S::Stopping:
        return {Step::Start, Step::Stop};
    case S::Paused:
        return {Step::Start, Step::Start, Step::Paused};
    }
    return {};
}

void perform(AppState& state, FakeView& view, Step step)
{
    switch (step) {
    case Step::Start:
    case Step::Refused:
        state.walk.startPause(&view, [step] { return step == Step::Start; });
        break;
    case Step::Stop:
        state.walk.stop(&view);
        break;
    case Step::Finished:
        state.walk.ended(&view, WalkEndReason::Finished);
        break;
    case Step::Paused:
        state.walk.ended(&view, WalkEndReason::Paused);
        break;
    case Step::Stopped:
        state.walk.ended(&view, WalkEndReason::Stopped);
        break;
    case Step::PauseItself:
        state.walk.pauseItself();
        break;
    }
}

} // namespace

TEST(RunControlTable, EveryStateAndStep)
{
    struct Row
    {
        RunState from;
        Step step;
        RunState to;
        const char* log;  // the step's log line, "" for none
        const char* look; // inputs, goods list, tags/filter, export, start/pause, stop; meaning
        bool asked;       // a pause or stop is asked of the walk
        bool keepsPosition;
    };
    const Row rows[] = {
        {S::Idle, Step::Start, S::Running, "开始成功", "000011 pause", false, true},
        {S::Idle, Step::Refused, S::Idle, "开始失败", "111110 start", false, true},
        {S::Idle, Step::Stop, S::Idle, "已停止", "111110 start", false, false},
        {S::Running, Step::Start, S::Pausing, "正在暂停。。。", "000000 pause", true, true},
        {S::Running, Step::Stop, S::Stopping, "正在停止。。。", "000000 pause", true, true},
        {S::Running, Step::PauseItself, S::Pausing, "", "000011 pause", true, true},
        // A walk that ends by itself counts as stopped.
        {S::Running, Step::Finished, S::Idle, "已停止", "111110 start", false, false},
        {S::Pausing, Step::Stop, S::Stopping, "正在停止。。。", "000000 pause", true, true},
        {S::Pausing, Step::Paused, S::Paused, "已暂停", "011011 start", false, true},
        // The pause came while the last page was in hand: nothing is left to go on with.
        {S::Pausing, Step::Finished, S::Idle, "已停止", "111110 start", false, false},
        {S::Stopping, Step::PauseItself, S::Stopping, "", "000000 pause", true, true},
        {S::Stopping, Step::Stopped, S::Idle, "已停止", "111110 start", false, false},
        {S::Paused, Step::Start, S::Running, "开始成功", "000011 pause", false, true},
        // A refused start leaves the idle look but keeps where the walk was.
        {S::Paused, Step::Refused, S::Idle, "开始失败", "111110 start", false, true},
        {S::Paused, Step::Stop, S::Idle, "已停止", "111110 start", false, false},
    };
    for (const Row& row : rows) {
        AppState state;
        FakeView view;
        SearchParams position;
        position.nextPageAddress = "https://next";
        state.position.install(position);
        for (Step step : pathTo(row.from))
            perform(state, view, step);
        ASSERT_EQ(state.walk.state(), row.from);
        takeLogBuffer(state);

        perform(state, view, row.step);
        const std::string log = takeLogBuffer(state);
        const std::string trace = "from " + std::to_string(static_cast<int>(row.from)) + " by step " +
                                  std::to_string(static_cast<int>(row.step));
        EXPECT_EQ(state.walk.state(), row.to) << trace;
        EXPECT_EQ(log.empty() ? "" : log.substr(9), *row.log ? std::string(row.log) + "\r\n" : "") << trace;
        EXPECT_EQ(view.look(), row.look) << trace;
        EXPECT_EQ(state.walk.waitForRequest(std::chrono::milliseconds(0)), row.asked) << trace;
        EXPECT_EQ(state.position.canResume(), row.keepsPosition) << trace;
    }
}

TEST(RunControlTable, AStartThatFailsSeesTheRunningLookWithoutItsButton)
{
    AppState state;
    FakeView view;
    std::string during;
    state.walk.startPause(&view, [&] {
        during = view.look();
        return false;
    });
    EXPECT_EQ(during, "000001 pause");
}
