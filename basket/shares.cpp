#include "basket/shares.h"

#include <algorithm>

namespace zorvane::basket {

namespace {

// A product of two sums of money needs more than 64 bits.
__extension__ typedef __int128 Wide;

// amount * value / total rounded half up, or down.
Cents part(Cents amount, Cents value, Cents total, bool roundHalfUp)
{
    const Wide scaled = Wide{amount} * value;
    return static_cast<Cents>(roundHalfUp ? (2 * scaled + total) / (2 * Wide{total}) : scaled / total);
}

} // namespace

void shareDiscount(std::vector<BasketLine>& lines, Cents discount)
{
    if (lines.empty())
        return;
    Cents total = 0;
    for (const BasketLine& line : lines)
        total += line.price * line.qty;
    const Cents amount = std::min(discount, total);
    // Rounding to the nearest cent can hand out more than there is when many
    // small lines each round up; rounding down never can.
    for (bool roundHalfUp : {true, false}) {
        Cents given = 0;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            lines[i].share = total > 0 ? part(amount, lines[i].price * lines[i].qty, total, roundHalfUp) : 0;
            given += lines[i].share;
        }
        lines[0].share = amount - given;
        if (lines[0].share >= 0)
            return;
    }
}

} // namespace zorvane::basket
