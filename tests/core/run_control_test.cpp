#include "core/run_control.h"

#include <gtest/gtest.h>

#include <map>

#include "core/app_state.h"
#include "core/log.h"

using namespace zorvane;

namespace {

// A window of plain values: every control starts enabled, as the form makes them.
class FakePanel final : public ControlPanel
{
public:
    FakePanel()
    {
        for (const char* name :
             {"按钮_清空商品", "按钮_筛选", "按钮_导出", "按钮_日志_清空", "按钮_控制_开始2暂停",
              "按钮_控制_停止", "编辑框_参数_地址", "编辑框_价格min", "编辑框_日志", "超级列表框_商品列表",
              "超级列表框_商品标签", "透明标签1", "分组框_控制", "按钮_控制_开始2暂停甲"})
            enabled[name] = true;
        enabled["按钮_控制_停止"] = false;
        captions["按钮_控制_开始2暂停"] = "开始";
    }
    std::vector<std::string> controlNames() const override
    {
        std::vector<std::string> names;
        for (const auto& [name, on] : enabled)
            names.push_back(name);
        return names;
    }
    void setEnabled(std::string_view name, bool on) override { enabled[std::string(name)] = on; }
    void setCaption(std::string_view name, std::string_view caption) override
    {
        captions[std::string(name)] = std::string(caption);
    }

    std::map<std::string, bool> enabled;
    std::map<std::string, std::string> captions;
};

struct RunControlTest : ::testing::Test
{
    void SetUp() override { ASSERT_TRUE(state.createLocks(nullptr)); }
    std::string log() { return takeLogBuffer(state); }
    AppState state;
    FakePanel panel;
};

} // namespace

TEST_F(RunControlTest, LockingSparesExceptionsAndOtherKinds)
{
    setControlsLocked(panel, true);
    EXPECT_FALSE(panel.enabled["按钮_清空商品"]);
    EXPECT_FALSE(panel.enabled["编辑框_参数_地址"]);
    EXPECT_FALSE(panel.enabled["超级列表框_商品标签"]);
    EXPECT_TRUE(panel.enabled["按钮_日志_清空"]);
    EXPECT_TRUE(panel.enabled["编辑框_日志"]);
    EXPECT_TRUE(panel.enabled["透明标签1"]);
    EXPECT_TRUE(panel.enabled["分组框_控制"]);
    EXPECT_TRUE(panel.enabled["按钮_控制_停止"]); // the stop button takes the opposite state
    // Only "name|" counts: a name that merely starts like an exception is locked.
    EXPECT_FALSE(panel.enabled["按钮_控制_开始2暂停甲"]);
    setControlsLocked(panel, false, "|按钮_导出|");
    EXPECT_TRUE(panel.enabled["按钮_清空商品"]);
    EXPECT_FALSE(panel.enabled["按钮_控制_停止"]);
}

TEST_F(RunControlTest, ARejectedStartRestoresTheIdleLook)
{
    startPause(state, panel, [] { return false; });
    EXPECT_EQ(panel.captions["按钮_控制_开始2暂停"], "开始");
    EXPECT_TRUE(panel.enabled["按钮_控制_开始2暂停"]);
    EXPECT_FALSE(panel.enabled["按钮_控制_停止"]);
    EXPECT_TRUE(panel.enabled["编辑框_参数_地址"]);
    EXPECT_EQ(state.searchRunning, 0);
    EXPECT_NE(log().find("开始失败"), std::string::npos);
}

TEST_F(RunControlTest, PauseThenEndKeepsThePositionAndStopForgetsIt)
{
    startPause(state, panel, [] { return true; });
    EXPECT_EQ(panel.captions["按钮_控制_开始2暂停"], "暂停");
    EXPECT_EQ(state.stopRequested, 1);
    EXPECT_NE(log().find("开始成功"), std::string::npos);

    startPause(state, panel, [] { return true; }); // pause
    EXPECT_FALSE(panel.enabled["按钮_控制_开始2暂停"]);
    EXPECT_FALSE(panel.enabled["按钮_控制_停止"]);
    EXPECT_TRUE(state.stopEvent.isSet());
    EXPECT_EQ(state.stopRequested, 0);

    state.searchParams.nextPageAddress = "https://next";
    searchEnded(state, panel);
    EXPECT_FALSE(state.stopEvent.isSet());
    EXPECT_EQ(state.searchRunning, 0);
    EXPECT_EQ(state.searchParams.nextPageAddress, "https://next");
    EXPECT_TRUE(panel.enabled["按钮_控制_停止"]);
    EXPECT_TRUE(panel.enabled["按钮_筛选"]);
    EXPECT_TRUE(panel.enabled["超级列表框_商品列表"]);
    EXPECT_TRUE(panel.enabled["编辑框_价格min"]);
    EXPECT_FALSE(panel.enabled["编辑框_参数_地址"]);
    EXPECT_FALSE(panel.enabled["按钮_清空商品"]);
    EXPECT_NE(log().find("已暂停"), std::string::npos);

    stopCommand(state, panel); // paused: no thread to tell
    EXPECT_TRUE(state.searchParams.nextPageAddress.empty());
    EXPECT_TRUE(panel.enabled["编辑框_参数_地址"]);
    EXPECT_FALSE(panel.enabled["按钮_控制_停止"]);
    EXPECT_NE(log().find("已停止"), std::string::npos);
}

TEST_F(RunControlTest, AWalkThatEndsByItselfCountsAsStopped)
{
    startPause(state, panel, [] { return true; });
    state.searchParams.nextPageAddress = "https://next";
    searchEnded(state, panel);
    EXPECT_TRUE(state.searchParams.nextPageAddress.empty());
    EXPECT_TRUE(panel.enabled["编辑框_参数_地址"]);
    EXPECT_FALSE(panel.enabled["按钮_控制_停止"]);
    EXPECT_NE(log().find("已停止"), std::string::npos);
}
