#pragma once

#include "core/goods_record.h"

namespace zorvane {

struct AppState;
class FeedbackSink;

// Orders the goods by price. Prices within kPriceTolerance of each other
// count as equal and such goods keep their relative order; the result is
// exactly that of an adjacent-exchange (bubble) sort under that rule, in
// O(n log n) whenever distinct prices lie further apart than the tolerance
// (always so for prices in whole cents).
void sortGoodsByPrice(GoodsList& goods, bool ascending);

// The sort worker: sorts a copy of the store in the given direction,
// installs it, sends 1007 for every position 1..n and
// then 1093.
void runSort(AppState& state, FeedbackSink& sink, bool ascending);

} // namespace zorvane
