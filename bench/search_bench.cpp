#include <fstream>
#include <iterator>
#include <string>

#include <benchmark/benchmark.h>

#include "base/file_read.h"
#include "core/config.h"
#include "search/page_analysis.h"

using namespace zorvane;

namespace {

// Real pages are a few hundred KiB; more is not one of them.
constexpr std::size_t kMostPageBytes = std::size_t{64} << 20;

const char* const kPages[] = {
    "2016-03-fragment.html", "2016-03-raw.html",      "2016-09-rewritten.html", "2019-03-dom.html",
    "2019-04-dom.html",      "2020-07-fragment.html", "2021-02-raw.html",       "2022-09-dom-cr.html",
    "2023-06-raw.html",      "2023-07-raw-a.html",    "2023-07-raw-b.html",     "2024-05-dom.html",
};

std::string readPage(const std::string& name)
{
    std::ifstream in(std::string(ZORVANE_TEST_DATA) + "/realpages/" + name, std::ios::binary);
    return pageTextFromBody(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

// The search thread's work after the fetch: cut the page into items, extract
// every item, work out the next page.
void analysePage(benchmark::State& state, const std::string& name)
{
    const std::string page = readPage(name);
    const Config config;
    GoodsList goods;
    int items = 0;
    for (auto _ : state) {
        goods.clear();
        const PageVerdict verdict =
            analysePageText(page, config, [&](GoodsRecord&& record) { goods.push_back(std::move(record)); });
        items = verdict.goodsCount;
        benchmark::DoNotOptimize(goods.data());
        benchmark::DoNotOptimize(verdict.next.address.data());
    }
    state.counters["items"] = items;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size()));
}

// What zorvane-cli extract does for each file, over all twelve real pages:
// read the file, take it as page text, analyse it. MB/s counts the files' bytes.
void extractRealPages(benchmark::State& state)
{
    const Config config;
    std::string bytes;
    std::size_t total = 0;
    std::size_t records = 0;
    for (auto _ : state) {
        total = 0;
        records = 0;
        for (const char* name : kPages) {
            if (readWholeFile(std::string(ZORVANE_TEST_DATA) + "/realpages/" + name, bytes, kMostPageBytes) !=
                ReadOutcome::Read) {
                state.SkipWithError("a real page cannot be read");
                return;
            }
            total += bytes.size();
            bytes = pageTextFromBody(std::move(bytes));
            analysePageText(
                bytes, config, [&](GoodsRecord&&) { ++records; }, true);
        }
        benchmark::DoNotOptimize(records);
    }
    state.counters["records"] = static_cast<double>(records);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(total));
}
BENCHMARK(extractRealPages)->Name("ExtractRealPages")->Unit(benchmark::kMillisecond);

const bool kRegistered = [] {
    for (const char* name : kPages) {
        benchmark::RegisterBenchmark((std::string("AnalysePageText/") + name).c_str(),
                                     [name](benchmark::State& state) { analysePage(state, name); })
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

} // namespace
