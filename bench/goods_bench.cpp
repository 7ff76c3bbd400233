#include <random>
#include <sstream>

#include <benchmark/benchmark.h>

#include "goods/csv_export.h"
#include "goods/filter.h"
#include "goods/sort.h"

using namespace zorvane;

namespace {

constexpr int kStoreSize = 50000;
// The export is measured on a store as large as the longest walks give.
constexpr int kExportStoreSize = 200000;

// A store like a long search walk gives: prices in cents with many repeats,
// a few tags from a small set, names of typical length.
GoodsList makeStore(int size)
{
    const std::vector<std::string> tagPool = {"满减", "券", "包邮", "自营", "秒杀", "新品", "赠品", "PLUS"};
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> cents(1, 500000);
    std::uniform_int_distribution<std::size_t> tagCount(0, 3);
    std::uniform_int_distribution<std::size_t> tagPick(0, tagPool.size() - 1);
    GoodsList goods;
    goods.reserve(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) {
        GoodsRecord r;
        r.goodsId = std::to_string(100000000 + i * 7);
        r.name = "【京东超市】某品牌 商品名称 规格" + std::to_string(i % 977) + "克 \"加量装\"";
        r.price = cents(rng) / 100.0;
        for (std::size_t t = tagCount(rng); t > 0; --t) {
            r.tags.push_back(tagPool[tagPick(rng)]);
            r.tagText += (r.tagText.empty() ? "" : ",") + r.tags.back();
        }
        goods.push_back(std::move(r));
    }
    return goods;
}

const GoodsList& sampleStore()
{
    static const GoodsList store = makeStore(kStoreSize);
    return store;
}

void BM_FilterPass(benchmark::State& state)
{
    const GoodsList& goods = sampleStore();
    const FilterCriteria criteria = makeFilterCriteria({"券", "包邮"}, "10", "2000");
    for (auto _ : state) {
        int passing = 0;
        for (const GoodsRecord& record : goods)
            passing += goodsPassesFilter(record, criteria) ? 1 : 0;
        benchmark::DoNotOptimize(passing);
    }
    state.SetItemsProcessed(state.iterations() * kStoreSize);
}
BENCHMARK(BM_FilterPass);

void BM_SortByPrice(benchmark::State& state)
{
    const bool ascending = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        GoodsList goods = sampleStore();
        state.ResumeTiming();
        sortGoodsByPrice(goods, ascending);
        benchmark::DoNotOptimize(goods.data());
    }
    state.SetItemsProcessed(state.iterations() * kStoreSize);
}
BENCHMARK(BM_SortByPrice)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_WriteCsv(benchmark::State& state)
{
    static const GoodsList goods = makeStore(kExportStoreSize);
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        writeCsv(out, goods);
        bytes = out.view().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_WriteCsv)->Unit(benchmark::kMillisecond);

} // namespace
