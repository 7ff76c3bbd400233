#pragma once

#include <string>

#include "history/history_store.h"

namespace zorvane::bench {

// Walks of one coupon as the history benchmarks store them: 50,000 goods in
// pages of 60, as the shop's result pages hold them.
inline constexpr int kGoodsPerWalk = 50'000;
inline constexpr int kGoodsPerPage = 60;
inline const std::string kBenchAddress = "https://search.example.test/Search?coupon_batch=bench&enc=utf-8";

// Walk w sees goods i at a price that moves now and then, and each walk
// brings some goods never seen before.
Sighting sightingOf(int walk, int i);

// Stores walks 0 .. walks-1 of the coupon, each in one transaction.
bool fillStore(HistoryStore& store, int walks);

} // namespace zorvane::bench
