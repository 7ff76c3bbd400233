// The history store's figures: the changes of a big walk in a full store, and
// what recording (the changes told as the window has them) costs a walk at
// interval 0 against the fixture shop, beside the same walk unrecorded.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <time.h>

#include "bench/history_walks.h"
#include "core/app_state.h"
#include "core/feedback.h"
#include "core/walk_feedback.h"
#include "history/coupon_key.h"
#include "history/history_recorder.h"
#include "history/history_store.h"
#include "history/walk_recorder.h"
#include "search/search_thread.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/temp_dir.h"

using namespace zorvane;

namespace {

constexpr int kWalks = 20; // 1,000,000 sightings
constexpr int kPages = 400;

class DiscardingSink final : public FeedbackSink
{
public:
    void send(const Feedback&) override {}
    void post(const Feedback&) override {}
};

void changesOfTheLastWalk(benchmark::State& state)
{
    test::TempDir dir;
    HistoryStore store;
    if (!store.open(dir.file("goods.sqlite")).status.ok() || !bench::fillStore(store, kWalks)) {
        state.SkipWithError("the store could not be filled");
        return;
    }
    const std::string key = couponKey(bench::kBenchAddress);
    std::size_t rows = 0;
    std::size_t fresh = 0;
    for (auto _ : state) {
        const std::optional<WalkSummary> walk = store.lastWalk(key);
        const SqlRows<SightingChange> changes = store.changes(walk ? walk->id : 0, key);
        rows = changes.rows.size();
        fresh = 0;
        for (const SightingChange& item : changes.rows)
            fresh += item.change.kind == ChangeKind::Added;
    }
    state.counters["sightings"] = kWalks * bench::kGoodsPerWalk;
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["new"] = static_cast<double>(fresh);
}

// The walk benchmark's shop (2 goods a page) and one with real pages' 60.
test::FixtureShop& shop(int goodsPerPage)
{
    static std::map<int, std::unique_ptr<test::FixtureShop>> shops;
    std::unique_ptr<test::FixtureShop>& shared = shops[goodsPerPage];
    if (!shared) {
        test::FixtureShopOptions options;
        options.pages = kPages;
        options.itemsPerPage = goodsPerPage;
        shared = std::make_unique<test::FixtureShop>(options);
        if (!shared->start())
            std::abort();
    }
    return *shared;
}

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct WalkTimes
{
    double seconds = -1;   // negative: the walk did not reach the end
    double cpuSeconds = 0; // of the whole process: walk, writer and shop
};

// How a walk is recorded: not at all (--no-history), as zorvane-cli records
// it, or as the window does, with each goods item's change told.
enum class Recording
{
    None,
    Goods,
    GoodsAndChanges
};

// One walk of every page at the interval, recorded into dbPath as asked.
WalkTimes walkOnce(test::FixtureShop& shop, const std::string& dbPath, Recording recording, int intervalMs)
{
    AppState state(shop.config());
    if (!state.createLocks().ok())
        return {};
    SearchInput typed;
    typed.address = shop.firstPageUrl();
    // Not std::to_string: GCC 12 warns wrongly (-Wrestrict) on its inlined copy here.
    char interval[16];
    std::snprintf(interval, sizeof interval, "%d", intervalMs);
    typed.interval = interval;
    typed.pageLimit = "0";
    const SearchStart start = prepareSearchStart(state, typed);
    if (!start.accepted)
        return {};
    const double cpuStarted = processCpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    DiscardingSink console;
    FeedbackWalkObserver feedback(state.log, console);
    if (recording == Recording::None) {
        runWalk(state, start.job, feedback);
    } else {
        HistoryRecorder::ChangesHandler onChanges;
        if (recording == Recording::GoodsAndChanges)
            onChanges = [&console](std::vector<StoredChange> changes) {
                console.post(changesFeedback(std::move(changes)));
            };
        HistoryRecorder recorder(dbPath, {}, std::move(onChanges));
        WalkRecorder recorded(recorder, feedback);
        runWalk(state, start.job, recorded);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (state.position.copy().pagesDone != kPages)
        return {};
    return WalkTimes{seconds, processCpuSeconds() - cpuStarted};
}

double median(const std::vector<double>& values)
{
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[sorted.size() / 2];
}

double minimum(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Plain and recorded walks take turns, each first every other time, after a
// walk that warms the connection: a busy machine weighs on both alike. The
// medians speak for the typical walk, the minimums for an idle machine.
void recordingCost(benchmark::State& state)
{
    test::FixtureShop& walked = shop(static_cast<int>(state.range(0)));
    const Recording recording = state.range(1) != 0 ? Recording::GoodsAndChanges : Recording::Goods;
    const int interval = static_cast<int>(state.range(2));
    test::TempDir dir;
    const std::string db = dir.file("goods.sqlite");
    walkOnce(walked, db, Recording::None, 0);
    std::vector<WalkTimes> plain;
    std::vector<WalkTimes> recorded;
    for (auto _ : state) {
        const bool recordFirst = plain.size() % 2 == 1;
        const WalkTimes first = walkOnce(walked, db, recordFirst ? recording : Recording::None, interval);
        const WalkTimes second = walkOnce(walked, db, recordFirst ? Recording::None : recording, interval);
        if (first.seconds < 0 || second.seconds < 0)
            state.SkipWithError("a walk did not reach the last page");
        plain.push_back(recordFirst ? second : first);
        recorded.push_back(recordFirst ? first : second);
    }
    auto added = [&](double (*pick)(const std::vector<double>&), double WalkTimes::*field) {
        std::vector<double> p;
        std::vector<double> r;
        for (std::size_t i = 0; i < plain.size(); ++i) {
            p.push_back(plain[i].*field);
            r.push_back(recorded[i].*field);
        }
        return (pick(r) - pick(p)) * 100 / pick(p);
    };
    std::vector<double> plainSeconds;
    for (const WalkTimes& walk : plain)
        plainSeconds.push_back(walk.seconds);
    state.counters["plain_ms"] = median(plainSeconds) * 1000;
    state.counters["added_pct"] = added(median, &WalkTimes::seconds);
    state.counters["added_pct_min"] = added(minimum, &WalkTimes::seconds);
    state.counters["cpu_added_pct"] = added(median, &WalkTimes::cpuSeconds);
}

const bool kRegistered = [] {
    benchmark::RegisterBenchmark("History/changes_50k_of_1M", changesOfTheLastWalk)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
    // At interval 0 the walk and the shop keep both cores busy, so the
    // writer's work shows in full; with a short interval (the window's
    // default is 1000 ms) it fits into the pauses between pages.
    benchmark::RegisterBenchmark("History/walk400_recording_cost", recordingCost)
        ->ArgNames({"goods_per_page", "changes", "interval_ms"})
        ->Args({2, 0, 0})
        ->Args({bench::kGoodsPerPage, 0, 0})
        ->Args({bench::kGoodsPerPage, 1, 0})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(10);
    benchmark::RegisterBenchmark("History/walk400_recording_cost", recordingCost)
        ->ArgNames({"goods_per_page", "changes", "interval_ms"})
        ->Args({bench::kGoodsPerPage, 0, 10})
        ->Args({bench::kGoodsPerPage, 1, 10})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(4);
    return true;
}();

} // namespace
