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
    // The words a run over [lo, hi] holds.
    static std::size_t wordsFor(Cents lo, Cents hi)
    {
        return hi < lo ? 0 : static_cast<std::size_t>((hi - lo) / 64 + 1);
    }

private:
    // Word `at` shifted down by bits, with the next word's low bits above;
    // words outside the run are 0.
    std::uint64_t shiftedWord(std::int64_t at, unsigned bits) const
    {
        const auto n = static_cast<std::int64_t>(m_words.size());
        const std::uint64_t low = at >= 0 && at < n ? m_words[static_cast<std::size_t>(at)] : 0;
        if (bits == 0)
            return low;
        const std::uint64_t high = at + 1 >= 0 && at + 1 < n ? m_words[static_cast<std::size_t>(at + 1)] : 0;
        return (low >> bits) | (high << (64 - bits));
    }
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
    // Bit j here is total m_lo + j, which comes from source bit j + delta:
    // word w from the source's words w + step and w + step + 1, by bits.
    const std::int64_t delta = m_lo - shift - source.m_lo;
    const std::int64_t step = delta >= 0 ? delta / 64 : -((-delta + 63) / 64);
    const auto bits = static_cast<unsigned>(delta - step * 64);
    const std::size_t firstWord = static_cast<std::size_t>((from - m_lo) / 64);
    const std::size_t lastWord = static_cast<std::size_t>((to - m_lo) / 64);
    // Words whose source words both lie inside the run take the plain loop.
    const auto n = static_cast<std::int64_t>(source.m_words.size());
    const auto plainFirst = static_cast<std::size_t>(std::clamp<std::int64_t>(
        -step, static_cast<std::int64_t>(firstWord), static_cast<std::int64_t>(lastWord) + 1));
    const auto plainEnd = static_cast<std::size_t>(std::clamp<std::int64_t>(
        n - 1 - step, static_cast<std::int64_t>(plainFirst), static_cast<std::int64_t>(lastWord) + 1));
    const auto mergeWord = [&](std::size_t w, std::uint64_t shifted) {
        std::uint64_t fresh = shifted & ~m_words[w];
        if (w + 1 == m_words.size())
            fresh &= lastWordMask();
        m_words[w] |= fresh;
        while (fresh != 0) {
            const int bit = __builtin_ctzll(fresh);
            fresh &= fresh - 1;
            onNew(m_lo + static_cast<Cents>(w * 64) + bit);
        }
    };
    for (std::size_t w = firstWord; w < plainFirst; ++w)
        mergeWord(w, source.shiftedWord(static_cast<std::int64_t>(w) + step, bits));
    const std::uint64_t* words = source.m_words.data();
    for (std::size_t w = plainFirst; w < plainEnd; ++w) {
        const auto a = static_cast<std::size_t>(static_cast<std::int64_t>(w) + step);
        const std::uint64_t shifted =
            bits == 0 ? words[a] : (words[a] >> bits) | (words[a + 1] << (64 - bits));
        if ((shifted & ~m_words[w]) != 0)
            mergeWord(w, shifted);
    }
    for (std::size_t w = std::max(plainEnd, plainFirst); w <= lastWord; ++w)
        mergeWord(w, source.shiftedWord(static_cast<std::int64_t>(w) + step, bits));
}

} // namespace zorvane::basket
