// The basket solver at the sizes walks give: 6,000 goods at 满299减50 and
// 50,000 at 满2000减200, five baskets each. Reports the peak resident memory
// of the process after the runs (VmHWM) with each.
#include <benchmark/benchmark.h>

#include "basket/basket_solver.h"
#include "bench/basket_goods.h"
#include "bench/process_memory.h"

using namespace zorvane;

namespace {

double peakResidentMiB()
{
    return static_cast<double>(bench::processStatusKiB("VmHWM:")) / 1024.0;
}

void runBaskets(benchmark::State& state, basket::Cents threshold, basket::Cents discount)
{
    basket::BasketRequest request;
    request.goods = bench::benchGoods(static_cast<int>(state.range(0)));
    request.threshold = threshold;
    request.discount = discount;
    request.top = 5;
    for (auto _ : state) {
        const basket::BasketResult result = basket::solveBaskets(request);
        if (result.baskets.size() != 5)
            state.SkipWithError("fewer than five baskets");
        benchmark::DoNotOptimize(result);
    }
    state.counters["peak_MiB"] = peakResidentMiB();
}

void BM_Basket299Minus50(benchmark::State& state)
{
    runBaskets(state, 29900, 5000);
}
BENCHMARK(BM_Basket299Minus50)->Arg(6000)->Unit(benchmark::kMillisecond);

void BM_Basket2000Minus200(benchmark::State& state)
{
    runBaskets(state, 200000, 20000);
}
BENCHMARK(BM_Basket2000Minus200)->Arg(50000)->Unit(benchmark::kMillisecond);

} // namespace
