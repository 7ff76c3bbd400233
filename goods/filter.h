#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/filter_criteria.h"
#include "core/goods_record.h"

namespace zorvane {

struct AppState;
class FeedbackSink;

// Full-width forms read as their ASCII twins: U+FF01..U+FF5E become
// '!'..'~', U+3000 a space, ￥ '$', ￣ '~', ☆ and ★ '*'. Everything else is kept.
std::string fullWidthToAscii(std::string_view text);

// A bound box's number: full-width forms read as ASCII, then the leading
// decimal number (0 when there is none), rounded to 2 decimals.
double parsePriceBound(std::string_view text);

// The criteria from the ticked tags and the two bound texts. A bound is
// present when its text holds anything besides spaces (U+0020, U+3000),
// which are ignored wherever they stand.
FilterCriteria makeFilterCriteria(std::vector<std::string> tickedTags, std::string_view minText,
                                  std::string_view maxText);

// True for a record's change that reads new ("新") or cheaper ("降¥x.xx").
bool isNewOrCheaper(std::string_view change);

// True when the record carries every ticked tag (byte for byte), its price
// lies within the bounds present, each bound inclusive within kPriceTolerance,
// and, when asked, it is new or cheaper.
bool goodsPassesFilter(const GoodsRecord& record, const FilterCriteria& criteria);

// The filter worker: marks every record of the store against the criteria,
// logs the counts, sends 1007 for each passing record (1-based, in store
// order) and then 1092.
void runFilter(AppState& state, FeedbackSink& sink, const FilterCriteria& criteria);

} // namespace zorvane
