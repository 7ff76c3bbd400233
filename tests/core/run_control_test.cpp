// The walk session's run-control table over its typed API: from each state,
// each command or end gives the next state, its log line, what is asked of
// the walk and what becomes of the position. What the window's controls look
// like in each state is the window's own table (tests/ui).
#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/log.h"
#include "core/walk_session.h"
#include "tests/core/run_steps.h"

using namespace zorvane;

namespace {

using S = RunState;
using test::perform;
using test::Step;

} // namespace

TEST(RunControlTable, EveryStateAndStep)
{
    struct Row
    {
        RunState from;
        Step step;
        RunState to;
        const char* log; // the step's log line, "" for none
        bool asked;      // a pause or stop is asked of the walk
        bool keepsPosition;
    };
    const Row rows[] = {
        {S::Idle, Step::Start, S::Running, "开始成功", false, true},
        {S::Idle, Step::Refused, S::Idle, "开始失败", false, true},
        {S::Idle, Step::Stop, S::Idle, "已停止", false, false},
        {S::Running, Step::Start, S::Pausing, "正在暂停。。。", true, true},
        {S::Running, Step::Stop, S::Stopping, "正在停止。。。", true, true},
        {S::Running, Step::PauseItself, S::Pausing, "", true, true},
        // A walk that ends by itself counts as stopped.
        {S::Running, Step::Finished, S::Idle, "已停止", false, false},
        {S::Pausing, Step::Stop, S::Stopping, "正在停止。。。", true, true},
        {S::Pausing, Step::Paused, S::Paused, "已暂停", false, true},
        // The pause came while the last page was in hand: nothing is left to go on with.
        {S::Pausing, Step::Finished, S::Idle, "已停止", false, false},
        {S::Stopping, Step::PauseItself, S::Stopping, "", true, true},
        {S::Stopping, Step::Stopped, S::Idle, "已停止", false, false},
        {S::Paused, Step::Start, S::Running, "开始成功", false, true},
        // A refused start goes back to idle but keeps where the walk was.
        {S::Paused, Step::Refused, S::Idle, "开始失败", false, true},
        {S::Paused, Step::Stop, S::Idle, "已停止", false, false},
    };
    for (const Row& row : rows) {
        AppState state;
        SearchParams position;
        position.nextPageAddress = "https://next";
        state.position.install(position);
        for (Step step : test::pathTo(row.from))
            perform(state, step);
        ASSERT_EQ(state.walk.state(), row.from);
        takeLogBuffer(state);

        perform(state, row.step);
        const std::string log = takeLogBuffer(state);
        const std::string trace = "from " + std::to_string(static_cast<int>(row.from)) + " by step " +
                                  std::to_string(static_cast<int>(row.step));
        EXPECT_EQ(state.walk.state(), row.to) << trace;
        EXPECT_EQ(log.empty() ? "" : log.substr(9), *row.log ? std::string(row.log) + "\r\n" : "") << trace;
        EXPECT_EQ(state.walk.waitForRequest(std::chrono::milliseconds(0)), row.asked) << trace;
        EXPECT_EQ(state.position.canResume(), row.keepsPosition) << trace;
    }
}
