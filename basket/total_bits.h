#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "basket/money.h"

namespace zorvane::basket {

// One bit per total in [lo, hi]: set when the total can be reached.
class TotalBits final
{
public:
    TotalBits() = default;
    TotalBits(Cents lo, Cents hi);

    Cents lo() const { return m_lo; }
    Cents hi() const { return m_hi; }
    bool empty() const { return m_hi < m_lo; }
    bool test(Cents total) const;
    void set(Cents total);
    // True when every total in [from, hi] is set.
    bool fullFrom(Cents from) const;

    // Adds shift to every total set (0/1: each total moves once, as if the
    // words were read before any was written). Totals above hi fall away.
    void orShiftedSelf(Cents shift);

    // Sets every total t + shift for t set in source, within [lo, hi], and
    // calls onNew(total) for each one that was not set before.
    template <typename OnNew> void orShifted(const TotalBits& source, Cents shift, OnNew onNew);

    std::size_t bytes() const { return m_words.size() * sizeof(std::uint64_t); }

private:
    // The 64 bits of source starting at its bit index `first` (may be negative).
    static std::uint64_t wordAt(const TotalBits& source, std::int64_t first);
    std::uint64_t lastWordMask() const;

    Cents m_lo = 0;
    Cents m_hi = -1;
    std::vector<std::uint64_t> m_words;
};

template <typename OnNew> void TotalBits::orShifted(const TotalBits& source, Cents shift, OnNew onNew)
{
    if (empty() || source.empty())
        return;
    const Cents from = std::max(m_lo, source.m_lo + shift);
    const Cents to = std::min(m_hi, source.m_hi + shift);
    if (from > to)
        return;
    // Bit j here is total m_lo + j, which comes from source bit j + delta.
    const std::int64_t delta = m_lo - shift - source.m_lo;
    const std::size_t firstWord = static_cast<std::size_t>((from - m_lo) / 64);
    const std::size_t lastWord = static_cast<std::size_t>((to - m_lo) / 64);
    for (std::size_t w = firstWord; w <= lastWord; ++w) {
        std::uint64_t fresh = wordAt(source, static_cast<std::int64_t>(w * 64) + delta) & ~m_words[w];
        if (w + 1 == m_words.size())
            fresh &= lastWordMask();
        m_words[w] |= fresh;
        while (fresh != 0) {
            const int bit = __builtin_ctzll(fresh);
            fresh &= fresh - 1;
            onNew(m_lo + static_cast<Cents>(w * 64) + bit);
        }
    }
}

} // namespace zorvane::basket
