// Relisting 50,000 goods into the real goods list model and view, one
// message per row as the filter and the sort send them.
#include <QApplication>
#include <QTableView>

#include <atomic>
#include <cstdlib>
#include <thread>

#include <benchmark/benchmark.h>

#include "bench/qt_application.h"
#include "core/app_state.h"
#include "core/feedback.h"
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
