#pragma once

#include <vector>

#include "basket/basket_solver.h"

namespace zorvane::basket {

// Splits min(discount, the lines' total) over the lines by their value
// (price x qty), each rounded to the cent, as a shop shows it on an order;
// what the rounding leaves goes to the first line (the dearest), so the
// shares add up exactly. No share is negative.
void shareDiscount(std::vector<BasketLine>& lines, Cents discount);

} // namespace zorvane::basket
