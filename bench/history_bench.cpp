// The history store's figures: the changes of a big walk in a full store, and
// what recording costs a walk at interval 0 against the fixture shop.
#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <time.h>

#include "cli/history_hook.h"
#include "core/app_state.h"
#include "core/feedback.h"
#include "core/walk_feedback.h"
#include "history/coupon_key.h"
#include "history/history_store.h"
#include "search/search_thread.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/temp_dir.h"

using namespace zorvane;

namespace {

constexpr int kWalks = 20;
constexpr int kGoodsPerWalk = 50'000; // 20 walks: 1,000,000 sightings
constexpr int kPages = 400;
constexpr int kGoodsPerPage = 60; // as the shop's result pages hold them

const std::string kAddress = "https://search.example.test/Search?coupon_batch=bench&enc=utf-8";

class DiscardingSink final : public FeedbackSink
{
public:
    void send(const Feedback&) override {}
    void post(const Feedback&) override {}
};

// Walk w sees goods i at a price that moves now and then, and each walk
// brings some goods never seen before.
Sighting sightingOf(int walk, int i)
{
    const int goods = i + walk * 500;
    const double price = 10.0 + (goods % 997) + ((goods + walk) % 7 == 0 ? walk * 0.5 : 0);
    return Sighting{i / kGoodsPerPage + 1,
                    i % kGoodsPerPage + 1,
                    std::to_string(100000000 + goods),
                    "商品名称 " + std::to_string(goods),
                    price,
                    "自营,满减",
                    {"自营", "满减"}};
}

bool fillStore(HistoryStore& store)
{
    for (int walk = 0; walk < kWalks; ++walk) {
        std::int64_t id = 0;
        if (!store.beginTransaction().ok() || !store.beginWalk(kAddress, walk, id).ok())
            return false;
        for (int i = 0; i < kGoodsPerWalk; ++i) {
            if (!store.addSighting(id, sightingOf(walk, i)).ok())
                return false;
        }
        if (!store.setPages(id, kGoodsPerWalk / kGoodsPerPage).ok() || !store.commit().ok())
            return false;
    }
    return true;
}

void changesOfTheLastWalk(benchmark::State& state)
{
    test::TempDir dir;
    HistoryStore store;
    if (!store.open(dir.file("goods.sqlite")).status.ok() || !fillStore(store)) {
        state.SkipWithError("the store could not be filled");
        return;
    }
    const std::string key = couponKey(kAddress);
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
    state.counters["sightings"] = kWalks * kGoodsPerWalk;
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

// One walk of every page at interval 0, recorded into dbPath unless it is
// empty.
WalkTimes walkOnce(test::FixtureShop& shop, const std::string& dbPath)
{
    AppState state(shop.config());
    if (!state.createLocks().ok())
        return {};
    SearchInput typed;
    typed.address = shop.firstPageUrl();
    typed.interval = "0";
    typed.pageLimit = "0";
    const SearchStart start = prepareSearchStart(state, typed);
    if (!start.accepted)
        return {};
    const double cpuStarted = processCpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    DiscardingSink console;
    if (dbPath.empty()) {
        searchThreadMain(state, start.job, console);
    } else {
        FeedbackWalkObserver feedback(state.log, console);
        cli::HistoryHook hook(state, feedback, dbPath);
        runWalk(state, start.job, hook);
        hook.finish();
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
    test::TempDir dir;
    const std::string db = dir.file("goods.sqlite");
    walkOnce(walked, "");
    std::vector<WalkTimes> plain;
    std::vector<WalkTimes> recorded;
    for (auto _ : state) {
        const bool recordFirst = plain.size() % 2 == 1;
        const WalkTimes first = walkOnce(walked, recordFirst ? db : "");
        const WalkTimes second = walkOnce(walked, recordFirst ? "" : db);
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
    benchmark::RegisterBenchmark("History/walk400_recording_cost", recordingCost)
        ->ArgName("goods_per_page")
        ->Arg(2)
        ->Arg(kGoodsPerPage)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(10);
    return true;
}();

} // namespace
