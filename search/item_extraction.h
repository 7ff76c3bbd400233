#pragma once

#include <string>
#include <string_view>

#include "core/goods_record.h"

namespace zorvane {

// Reads name, price and promotion tags out of one goods item's text. What is
// not found stays empty or 0; extraction as a whole never fails. Tags come in
// this order: the name's leading label (spaces removed), each non-empty icon
// text, then the sign title joined with its date.
GoodsRecord extractItem(const std::string& goodsId, std::string_view itemText);
// The same for an item text already known to be valid UTF-8 (cut from a
// checked page at its markup), which spares the five runs their check.
GoodsRecord extractItem(const std::string& goodsId, std::string_view itemText, bool textChecked);

} // namespace zorvane
