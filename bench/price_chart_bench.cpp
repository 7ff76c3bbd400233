// The price chart's redraw for 50,000 shown goods: binning alone, and binning
// with the chart's update and paint, as the window does after a walk, a
// filter or a clear. The aim is under 50 ms.
#include <QApplication>
#include <QPixmap>

#include <cmath>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/qt_application.h"
#include "goods/price_histogram.h"
#include "ui/price_chart.h"

using namespace zorvane;
using bench::ensureApplication;

namespace {

// Shop-like prices: most under a few hundred yuan, a long tail above.
std::vector<double> prices(int n)
{
    std::mt19937 random(16);
    std::lognormal_distribution<double> yuan(4.0, 1.2);
    std::vector<double> result(static_cast<std::size_t>(n));
    for (double& price : result)
        price = std::round(yuan(random) * 100.0) / 100.0;
    return result;
}

void BM_BinPrices(benchmark::State& state)
{
    const std::vector<double> shown = prices(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(binPrices(shown));
}
BENCHMARK(BM_BinPrices)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_ChartRedraw(benchmark::State& state)
{
    ensureApplication();
    const std::vector<double> shown = prices(static_cast<int>(state.range(0)));
    ui::PriceChart chart;
    chart.resize(200, 100);
    for (auto _ : state) {
        chart.showPrices(shown);
        benchmark::DoNotOptimize(chart.grab()); // the paint the next frame does
    }
}
BENCHMARK(BM_ChartRedraw)->Arg(50000)->Unit(benchmark::kMillisecond);

} // namespace
