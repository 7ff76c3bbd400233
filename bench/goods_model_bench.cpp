// Relisting 50,000 goods into the real goods list model and view, one
// message per row as the filter and the sort send them; and the 变化 of a
// walk of 50,000 goods, from the history's thread into the list.
#include <QApplication>
#include <QTableView>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include "bench/history_walks.h"
#include "bench/qt_application.h"
#include "core/app_state.h"
#include "core/feedback.h"
#include "core/walk_feedback.h"
#include "history/coupon_key.h"
#include "history/history_store.h"
#include "history/walk_changes.h"
#include "ui/goods_table_model.h"
#include "ui/main_window.h"

using namespace zorvane;
using bench::ensureApplication;

namespace {

// A store of n generated goods, in a fresh state.
std::shared_ptr<AppState> stateWithGoods(int n)
{
    auto state = std::make_shared<AppState>();
    if (!state->createLocks().ok())
        std::abort();
    for (int i = 0; i < n; ++i) {
        GoodsRecord r;
        r.goodsId = std::to_string(100000000 + i);
        r.name = "商品名称 " + std::to_string(i);
        r.price = (i % 10000) / 100.0;
        r.tags = {"自营", "券"};
        r.tagText = "自营,券";
        state->goods.append(r);
    }
    return state;
}

} // namespace

static void BM_RelistGoodsIntoWindow(benchmark::State& bench)
{
    ensureApplication();
    const int n = static_cast<int>(bench.range(0));
    auto state = stateWithGoods(n);
    ui::MainWindow window(state, {"/tmp", false});
    window.show();
    for (auto _ : bench) {
        window.goodsModel()->clear();
        for (int i = 1; i <= n; ++i)
            window.feedbackHandler({kFeedbackShowGoods, i, std::nullopt});
        window.feedbackHandler({kFeedbackSortEnded, 0, std::nullopt});
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.goodsModel()->rowCount());
    }
    bench.SetItemsProcessed(bench.iterations() * n);
}
BENCHMARK(BM_RelistGoodsIntoWindow)->Arg(50000)->Unit(benchmark::kMillisecond);

// The same relisting as the sort does it: a worker sends one message per row
// and waits for each to be handled on the UI thread.
static void BM_RelistGoodsFromWorker(benchmark::State& bench)
{
    ensureApplication();
    const int n = static_cast<int>(bench.range(0));
    auto state = stateWithGoods(n);
    ui::MainWindow window(state, {"/tmp", false});
    window.show();
    for (auto _ : bench) {
        window.goodsModel()->clear();
        std::atomic<bool> done{false};
        std::thread worker([&] {
            for (int i = 1; i <= n; ++i)
                window.sink().send({kFeedbackShowGoods, i, std::nullopt});
            done = true;
        });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        worker.join();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.goodsModel()->rowCount());
    }
    bench.SetItemsProcessed(bench.iterations() * n);
}
BENCHMARK(BM_RelistGoodsFromWorker)->Arg(50000)->Unit(benchmark::kMillisecond);

namespace {

constexpr int kEarlierWalks = 20; // 1,000,000 sightings of the coupon before the walk

GoodsRecord recordOf(const Sighting& s)
{
    GoodsRecord record;
    record.goodsId = s.goodsId;
    record.name = s.name;
    record.price = s.price;
    record.tags = s.tags;
    record.tagText = s.tagText;
    return record;
}

// A folder of the benchmark's own, gone at the end of the run.
struct BenchFolder
{
    std::filesystem::path path;
    BenchFolder()
    {
        std::string name = (std::filesystem::temp_directory_path() / "zorvane-bench-XXXXXX").string();
        if (!mkdtemp(name.data()))
            std::abort();
        path = name;
    }
    ~BenchFolder() { std::filesystem::remove_all(path); }
};

BenchFolder& benchFolder()
{
    static BenchFolder folder;
    return folder;
}

// A file of the coupon's earlier walks, filled once for the run.
const std::string& earlierWalksFile()
{
    static const std::string path = [] {
        const std::string file = (benchFolder().path / "earlier.sqlite").string();
        HistoryStore store;
        if (!store.open(file).status.ok() || !bench::fillStore(store, kEarlierWalks))
            std::abort();
        return file;
    }();
    return path;
}

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// What the recorder's thread does for the changes of the walk after the
// earlier ones, page by page: one query for the page's goods ids not asked
// for yet, then the rule per goods item.
std::vector<std::vector<StoredChange>> tellChanges(HistoryStore& store)
{
    const std::int64_t walkId = kEarlierWalks + 1;
    const std::string key = couponKey(bench::kBenchAddress);
    WalkChanges changes;
    std::vector<std::vector<StoredChange>> batches;
    for (int i = 0; i < bench::kGoodsPerWalk; ++i) {
        const Sighting s = bench::sightingOf(kEarlierWalks, i);
        changes.add(s.goodsId, s.price, i + 1);
        if (s.position < bench::kGoodsPerPage && i + 1 < bench::kGoodsPerWalk)
            continue;
        const SqlRows<ItemPrice> earlier = store.earlierPrices(walkId, key, changes.idsToAsk());
        if (!earlier.status.ok())
            std::abort();
        if (std::vector<StoredChange> told = changes.finishPage(earlier.rows); !told.empty())
            batches.push_back(std::move(told));
    }
    return batches;
}

} // namespace

// 变化 of a walk of 50,000 goods against a file of the coupon's earlier
// walks: the time to tell them all (wall and the thread's CPU), and the
// longest stop of the UI thread while the window puts them into its list.
static void BM_ChangesOfA50kWalk(benchmark::State& bench)
{
    ensureApplication();
    HistoryStore store;
    if (!store.open(earlierWalksFile()).status.ok()) {
        bench.SkipWithError("the file of earlier walks cannot be opened");
        return;
    }
    double seconds = 0;
    double cpuSeconds = 0;
    double longestStop = 0;
    std::size_t changed = 0;
    for (auto _ : bench) {
        const auto started = std::chrono::steady_clock::now();
        const double cpuStarted = threadCpuSeconds();
        std::vector<std::vector<StoredChange>> batches = tellChanges(store);
        cpuSeconds = threadCpuSeconds() - cpuStarted;
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

        auto state = std::make_shared<AppState>();
        (void)state->createLocks();
        ui::MainWindow window(state, {"/tmp", false});
        window.show();
        for (int i = 0; i < bench::kGoodsPerWalk; ++i) {
            const Sighting s = bench::sightingOf(kEarlierWalks, i);
            window.feedbackHandler({kFeedbackNewGoods, state->goods.append(recordOf(s)), std::nullopt});
        }
        window.goodsModel()->flush();
        QCoreApplication::processEvents();
        longestStop = 0;
        changed = 0;
        for (std::vector<StoredChange>& batch : batches) {
            changed += batch.size();
            const auto applied = std::chrono::steady_clock::now();
            window.feedbackHandler(changesFeedback(std::move(batch)));
            QCoreApplication::processEvents();
            longestStop =
                std::max(longestStop,
                         std::chrono::duration<double>(std::chrono::steady_clock::now() - applied).count());
        }
    }
    bench.counters["changes_ms"] = seconds * 1000;
    bench.counters["changes_cpu_ms"] = cpuSeconds * 1000;
    bench.counters["ui_longest_stop_ms"] = longestStop * 1000;
    bench.counters["changed_rows"] = static_cast<double>(changed);
}
BENCHMARK(BM_ChangesOfA50kWalk)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
