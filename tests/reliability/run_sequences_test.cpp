// Random sequences of start, pause, resume, stop, filter, sort, clear and
// export, clicked on a window stand-in whose handlers run on one UI thread,
// against a fast fixture shop. After each sequence, once everything is quiet:
// no deadlock, every gathered record is in the store exactly as often as it
// was announced, the goods list shows what the store says, and the controls
// are in a state of the run control's table.
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "base/gbk.h"
#include "core/log.h"
#include "tests/reliability/fake_window.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/temp_dir.h"

using namespace std::chrono_literals;

namespace zorvane::test {
namespace {

// ZORVANE_RUN_SEQUENCES scales the run (1000 unless set).
int sequenceCount()
{
    const char* text = std::getenv("ZORVANE_RUN_SEQUENCES");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 1000;
}

enum class Click
{
    StartPause, // start, pause or resume, as the button's caption says
    Stop,
    Filter,
    SortByPrice,
    Clear,
    Export,
    Wait,
};

const char* nameOf(Click click)
{
    static const char* const names[] = {"start/pause", "stop", "filter", "sort", "clear", "export", "wait"};
    return names[static_cast<int>(click)];
}

Click randomClick(std::mt19937& random)
{
    static const Click weighted[] = {Click::StartPause, Click::StartPause, Click::StartPause,  Click::Stop,
                                     Click::Stop,       Click::Filter,     Click::SortByPrice, Click::Clear,
                                     Click::Export,     Click::Wait,       Click::Wait};
    return weighted[random() % std::size(weighted)];
}

// What the test reads on the UI thread once everything is quiet.
struct QuietState
{
    std::map<std::string, int> stored;    // goods id -> records in the store
    std::map<std::string, int> announced; // goods id -> 1006 messages since the last clear
    std::vector<std::string> shownIds;    // passing records of the store, in store order
    std::vector<std::string> rows;
    StartMeaning meaning = StartMeaning::Pause;
    bool startEnabled = false;
    bool stopEnabled = false;
    std::map<ControlGroup, bool> lockable;
    bool pauseClicked = false;
    RunState runState = RunState::Running;
};

QuietState readQuiet(AppState& state, FakeWindow& window)
{
    QuietState q;
    for (const GoodsRecord& record : state.goods.snapshot()) {
        ++q.stored[record.goodsId];
        if (record.passesFilter)
            q.shownIds.push_back(record.goodsId);
    }
    q.announced = window.announced();
    q.rows = window.rows();
    FakePanel& panel = window.panel();
    q.meaning = panel.meaning();
    q.startEnabled = panel.isUsable(ControlGroup::StartPause);
    q.stopEnabled = panel.isUsable(ControlGroup::Stop);
    for (ControlGroup group :
         {ControlGroup::Inputs, ControlGroup::Goods, ControlGroup::TagFilter, ControlGroup::Export})
        q.lockable[group] = panel.isUsable(group);
    q.pauseClicked = window.pauseClicked();
    q.runState = state.walk.state();
    return q;
}

// The controls of the table's Idle and Paused rows (Paused after a pause
// was clicked; a start refused there also ends in the Idle look).
void expectTableState(const QuietState& q)
{
    EXPECT_EQ(q.meaning, StartMeaning::Start);
    EXPECT_TRUE(q.startEnabled);
    if (!q.stopEnabled) {
        EXPECT_EQ(q.runState, RunState::Idle);
        for (const auto& [group, on] : q.lockable)
            EXPECT_TRUE(on) << static_cast<int>(group) << " stays disabled in the Idle state";
        return;
    }
    EXPECT_TRUE(q.pauseClicked) << "the Paused look without a pause";
    EXPECT_EQ(q.runState, RunState::Paused);
    const std::set<ControlGroup> openWhilePaused = {ControlGroup::Goods, ControlGroup::TagFilter};
    for (const auto& [group, on] : q.lockable) {
        // The end of an export enables its button whatever the walk's state
        // (the window does the same), so it may be enabled here.
        if (group == ControlGroup::Export)
            continue;
        EXPECT_EQ(on, openWhilePaused.count(group) != 0) << static_cast<int>(group) << " in the Paused state";
    }
}

TEST(RunSequences, RandomClicksLoseNoRecordAndEndInATableState)
{
    FixtureShop shop; // three pages of two goods, no delay
    ASSERT_TRUE(shop.start());
    auto state = std::make_shared<AppState>(shop.config());
    ASSERT_TRUE(state->createLocks().ok());
    TempDir dir;
    const std::string exportPath = dir.file("商品.csv");
    SearchInput typed;
    typed.address = shop.firstPageUrl();
    typed.interval = "0";
    typed.pageLimit = "0";

    UiThread ui;
    FakeWindow window(ui, state, typed, exportPath);
    std::mt19937 random(7);
    const int sequences = sequenceCount();
    int walksEnded = 0;
    int paused = 0;
    std::size_t stored = 0;
    for (int sequence = 0; sequence < sequences; ++sequence) {
        std::ostringstream trace;
        const int length = std::uniform_int_distribution<int>(3, 10)(random);
        for (int i = 0; i < length; ++i) {
            const Click click = randomClick(random);
            const int bounds = static_cast<int>(random() % 4);
            trace << nameOf(click) << ' ';
            auto perform = [&] {
                switch (click) {
                case Click::StartPause:
                    window.clickStartPause();
                    break;
                case Click::Stop:
                    window.clickStop();
                    break;
                case Click::Filter:
                    window.clickFilter(bounds & 1 ? "12" : "", bounds & 2 ? "30" : "");
                    break;
                case Click::SortByPrice:
                    window.clickPriceHeader();
                    break;
                case Click::Clear:
                    window.clickClear();
                    break;
                case Click::Export:
                    window.clickExport();
                    break;
                case Click::Wait:
                    break;
                }
            };
            ASSERT_TRUE(ui.run(perform, 60s)) << "the window thread is stuck; clicks: " << trace.str();
            if (click == Click::Wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 20));
            else if (random() % 2)
                std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        }

        // Every walk ends by itself on the shop's last page or at its pause.
        bool quiet = false;
        const auto deadline = std::chrono::steady_clock::now() + 120s;
        while (!quiet && std::chrono::steady_clock::now() < deadline) {
            ASSERT_TRUE(ui.run([&] { quiet = window.quiet(); }, 60s)) << "stuck; clicks: " << trace.str();
            if (!quiet)
                std::this_thread::sleep_for(1ms);
        }
        ASSERT_TRUE(quiet) << "no quiet within 2 minutes (deadlock?); clicks: " << trace.str();

        QuietState q;
        ASSERT_TRUE(ui.run([&] { q = readQuiet(*state, window); }, 60s));
        SCOPED_TRACE("sequence " + std::to_string(sequence) + ": " + trace.str());
        EXPECT_EQ(q.stored, q.announced);
        EXPECT_EQ(q.rows, q.shownIds);
        expectTableState(q);
        paused += q.stopEnabled;
        stored += q.shownIds.size();
        const std::string log = takeLogBuffer(*state);
        for (std::size_t at = log.find("已停止"); at != std::string::npos; at = log.find("已停止", at + 1))
            ++walksEnded;
        if (::testing::Test::HasFailure())
            return;
    }
    // The clicks did run walks, reach the Paused state, gather and export goods.
    int exports = 0;
    ASSERT_TRUE(ui.run([&] { exports = window.exportsEnded(); }, 60s));
    EXPECT_GT(walksEnded, sequences / 4);
    EXPECT_GT(paused, sequences / 50);
    EXPECT_GT(stored, static_cast<std::size_t>(sequences));
    EXPECT_GT(exports, sequences / 50);
    std::ifstream exported(exportPath, std::ios::binary);
    std::string header;
    std::getline(exported, header);
    EXPECT_EQ(header, utf8ToGbk("\"名称\",\"商品ID\",\"价格\",\"商品标签\"\r"));
}

} // namespace
} // namespace zorvane::test
