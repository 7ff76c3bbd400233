#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/search_params.h"
#include "tests/reliability/hostile_shop.h"
#include "tests/search/recording_sink.h"

namespace zorvane::test {

// A search walk over a hostile shop, started and ended as the window does,
// with two goods gathered before it that must come through untouched.
class FaultWalk : public ::testing::Test
{
protected:
    void SetUp() override { openShop({}); }
    // A new shop, state and store (with the two earlier goods).
    void openShop(FixtureShopOptions options);

    // Walks from the first page until the search thread reports its end. A
    // walk that has not ended within the bound is a hang: the test program
    // then ends at once, as the stuck thread cannot be joined.
    void walk(std::chrono::seconds bound = std::chrono::seconds(60));

    // The log since the last call, without the times of day.
    std::vector<std::string> logMessages();
    // How often the message occurs in the log lines given.
    static int countOf(const std::vector<std::string>& log, const std::string& message);
    std::vector<std::string> storedIds() const;
    // The goods ids the 1006 messages announced, in order (read back at once).
    std::vector<std::string> announcedIds() const { return m_announced; }
    // The goods gathered before the walk are still the first two records.
    void expectEarlierGoodsKept() const;
    // The walk failed that many fetches ("访问失败，状态码：0"), asked those
    // pages again (the shop's page numbers of all requests given) and
    // finished with every goods of the three pages stored once.
    void expectRecovered(int failedFetches, const std::vector<int>& requestedPages);

    std::unique_ptr<HostileShop> shop;
    std::unique_ptr<AppState> state;
    testing::RecordingSink sink;
    SearchParams atEnd;                                // the thread's write-back, as the window finds it
    bool pausedAtEnd = false;                          // the walk had paused itself when it ended
    WalkEndReason endReason = WalkEndReason::Finished; // as the walk told it

private:
    std::vector<GoodsRecord> m_earlier;
    std::vector<std::string> m_announced;
};

// Normal page ids of the hostile shop's first pages.
std::vector<std::string> fixtureIds(std::initializer_list<int> pages);

} // namespace zorvane::test
