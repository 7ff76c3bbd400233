#include <thread>

#include <gtest/gtest.h>

#include "goods/csv_export.h"
#include "goods/filter.h"
#include "goods/sort.h"
#include "tests/goods/goods_test_util.h"
#include "tests/support/temp_dir.h"

using namespace zorvane;
using zorvane::test::makeGoods;

using GoodsWorkers = test::WorkerTest;

// The workers run while a search keeps appending goods and the window copies
// the records it is told to show: nothing is lost and every worker ends.
TEST_F(GoodsWorkers, RunBesideASearchThatKeepsAddingGoods)
{
    test::TempDir dir;
    for (int i = 0; i < 200; ++i)
        state.goods.append(makeGoods(std::to_string(i), i % 50));

    std::thread search([this] {
        for (int i = 200; i < 1200; ++i)
            state.goods.append(makeGoods(std::to_string(i), i % 50));
    });
    std::thread workers([this, &dir] {
        runFilter(state, sink, makeFilterCriteria({}, "10", ""));
        runSort(state, sink, false);
        runExport(state, sink, dir.file("out.csv"));
    });
    for (int i = 0; i < 1000; ++i)
        state.goods.copyAt(i % 300 + 1);
    search.join();
    workers.join();

    EXPECT_EQ(state.goods.size(), 1200u);
    int ends = 0;
    for (const Feedback& m : sink.messages)
        ends +=
            m.code == kFeedbackFilterEnded || m.code == kFeedbackSortEnded || m.code == kFeedbackExportEnded;
    EXPECT_EQ(ends, 3);
    EXPECT_EQ(sink.messages.back().code, kFeedbackExportEnded);
}
