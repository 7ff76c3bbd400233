// Relisting 50,000 goods into the real goods list model and view, one
// message per row as the filter and the sort send them.
#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

#include "core/app_state.h"
#include "core/feedback.h"
#include "ui/main_window.h"
#include "ui/goods_table_model.h"

using namespace zorvane;

static void BM_RelistGoodsIntoWindow(benchmark::State& bench)
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);

    auto state = std::make_shared<AppState>();
    state->createLocks(nullptr);
    const int n = static_cast<int>(bench.range(0));
    for (int i = 0; i < n; ++i) {
        GoodsRecord r;
        r.goodsId = std::to_string(100000000 + i);
        r.name = "商品名称 " + std::to_string(i);
        r.price = (i % 10000) / 100.0;
        r.tags = {"自营", "券"};
        r.tagText = "自营,券";
        appendGoods(*state, r);
    }
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
