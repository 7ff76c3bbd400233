#include "basket/total_bits.h"

namespace zorvane::basket {

TotalBits::TotalBits(Cents lo, Cents hi) : m_lo(lo), m_hi(hi)
{
    m_words.assign(wordsFor(lo, hi), 0);
}

bool TotalBits::test(Cents total) const
{
    if (total < m_lo || total > m_hi)
        return false;
    const auto bit = static_cast<std::uint64_t>(total - m_lo);
    return (m_words[bit / 64] >> (bit % 64)) & 1;
}

void TotalBits::set(Cents total)
{
    if (total < m_lo || total > m_hi)
        return;
    const auto bit = static_cast<std::uint64_t>(total - m_lo);
    m_words[bit / 64] |= std::uint64_t{1} << (bit % 64);
}

std::uint64_t TotalBits::lastWordMask() const
{
    const auto used = static_cast<unsigned>((m_hi - m_lo) % 64 + 1);
    return used == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << used) - 1;
}

bool TotalBits::fullFrom(Cents from) const
{
    from = std::max(from, m_lo);
    if (from > m_hi)
        return true;
    const auto first = static_cast<std::uint64_t>(from - m_lo);
    std::size_t w = first / 64;
    std::uint64_t need = ~std::uint64_t{0} << (first % 64);
    for (; w < m_words.size(); ++w, need = ~std::uint64_t{0}) {
        if (w + 1 == m_words.size())
            need &= lastWordMask();
        if ((m_words[w] & need) != need)
            return false;
    }
    return true;
}

void TotalBits::orShiftedSelf(Cents shift)
{
    if (shift <= 0 || shift > m_hi - m_lo)
        return;
    // Downwards, so that each word is read before this pass writes it.
    const auto words = static_cast<std::size_t>(shift / 64);
    const auto bits = static_cast<unsigned>(shift % 64);
    std::uint64_t* w = m_words.data();
    const std::size_t n = m_words.size();
    if (bits == 0) {
        for (std::size_t i = n - 1; i >= words; --i)
            w[i] |= w[i - words];
    } else {
        for (std::size_t i = n - 1; i > words; --i)
            w[i] |= (w[i - words] << bits) | (w[i - words - 1] >> (64 - bits));
        w[words] |= w[0] << bits;
    }
    w[n - 1] &= lastWordMask();
}

} // namespace zorvane::basket
