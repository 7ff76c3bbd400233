#include "core/text_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/text.h"

// The searches test two bytes of the word, its first and its last, at sixteen
// places a step, and read the whole word only where both stand: in markup
// that is a small share of the places, so each byte costs a fraction of a
// cycle, where a search stopping at every '<' paid a call each time.
namespace zorvane {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isLowerLetter(char c)
{
    return c >= 'a' && c <= 'z';
}

bool sameAt(std::string_view text, std::size_t at, std::string_view word)
{
    return text.size() - at >= word.size() && std::memcmp(text.data() + at, word.data(), word.size()) == 0;
}

#if defined(__SSE2__)

// The sixteen places from at where byte `offset` after the place is the
// wanted one; a letter is wanted in either case (OR 0x20 folds it).
struct ByteTest
{
    std::size_t offset;
    __m128i fold;
    __m128i want;

    ByteTest(std::string_view word, std::size_t at, bool noCase)
        : offset(at), fold(_mm_set1_epi8(noCase && isLowerLetter(word[at]) ? 0x20 : 0)),
          want(_mm_set1_epi8(word[at]))
    {
    }

    __m128i places(const char* at) const
    {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + offset));
        return _mm_cmpeq_epi8(_mm_or_si128(bytes, fold), want);
    }
};

// Places whose first and last bytes are the word's.
struct WordTest
{
    ByteTest first;
    ByteTest last;

    WordTest(std::string_view word, bool noCase) : first(word, 0, noCase), last(word, word.size() - 1, noCase)
    {
    }

    __m128i places(const char* at) const { return _mm_and_si128(first.places(at), last.places(at)); }
};

unsigned placeBits(__m128i places)
{
    return static_cast<unsigned>(_mm_movemask_epi8(places));
}

#endif

} // namespace

std::size_t findWordNoCase(std::string_view text, std::string_view lowerWord, std::size_t from)
{
    const std::size_t n = text.size();
    const std::size_t m = lowerWord.size();
    if (m == 0)
        return from <= n ? from : npos;
    std::size_t i = from;
#if defined(__SSE2__)
    const WordTest test(lowerWord, true);
    for (; i + m - 1 + 16 <= n; i += 16) {
        for (unsigned bits = placeBits(test.places(text.data() + i)); bits != 0; bits &= bits - 1) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(bits));
            if (hasWordNoCaseAt(text, at, lowerWord))
                return at;
        }
    }
#endif
    for (; i + m <= n; ++i) {
        if (hasWordNoCaseAt(text, i, lowerWord))
            return i;
    }
    return npos;
}

TextPlace findFirstOfTwo(std::string_view text, std::string_view first, std::string_view second)
{
    const std::size_t n = text.size();
    const std::size_t longest = std::max(first.size(), second.size());
    std::size_t i = 0;
#if defined(__SSE2__)
    const WordTest testFirst(first, false);
    const WordTest testSecond(second, false);
    for (; i + longest - 1 + 16 <= n; i += 16) {
        const char* block = text.data() + i;
        const unsigned bits1 = placeBits(testFirst.places(block));
        const unsigned bits2 = placeBits(testSecond.places(block));
        for (unsigned bits = bits1 | bits2; bits != 0; bits &= bits - 1) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(bits));
            const std::size_t at = i + bit;
            if ((bits1 >> bit & 1) && sameAt(text, at, first))
                return {at, 0};
            if ((bits2 >> bit & 1) && sameAt(text, at, second))
                return {at, 1};
        }
    }
#endif
    for (; i < n; ++i) {
        if (sameAt(text, i, first))
            return {i, 0};
        if (sameAt(text, i, second))
            return {i, 1};
    }
    return {npos, 0};
}

namespace {

// UTF-8 as a DFA whose transitions are packed into one word per byte: a
// state is a bit offset, and the next state is the six bits at that offset
// of the byte's word (shift-based DFA), so a step is a shift and a mask.
enum Utf8State : std::uint64_t
{
    kAccept = 0,
    kError = 6,
    kTail1 = 12,   // one continuation byte to come
    kTail2 = 18,   // two
    kTail3 = 24,   // three
    kAfterE0 = 30, // A0..BF, then one more (no overlongs)
    kAfterED = 36, // 80..9F, then one more (no surrogates)
    kAfterF0 = 42, // 90..BF, then two more (no overlongs)
    kAfterF4 = 48, // 80..8F, then two more (nothing above U+10FFFF)
};

constexpr std::uint64_t afterLead(unsigned b)
{
    if (b < 0x80)
        return kAccept;
    if (b >= 0xC2 && b <= 0xDF)
        return kTail1;
    if (b == 0xE0)
        return kAfterE0;
    if (b == 0xED)
        return kAfterED;
    if (b >= 0xE1 && b <= 0xEF)
        return kTail2;
    if (b == 0xF0)
        return kAfterF0;
    if (b >= 0xF1 && b <= 0xF3)
        return kTail3;
    if (b == 0xF4)
        return kAfterF4;
    return kError;
}

constexpr std::uint64_t inRange(unsigned b, unsigned lo, unsigned hi, std::uint64_t next)
{
    return b >= lo && b <= hi ? next : kError;
}

constexpr std::array<std::uint64_t, 256> utf8Steps()
{
    std::array<std::uint64_t, 256> steps{};
    for (unsigned b = 0; b < 256; ++b) {
        steps[b] = afterLead(b) << kAccept | std::uint64_t{kError} << kError |
                   inRange(b, 0x80, 0xBF, kAccept) << kTail1 | inRange(b, 0x80, 0xBF, kTail1) << kTail2 |
                   inRange(b, 0x80, 0xBF, kTail2) << kTail3 | inRange(b, 0xA0, 0xBF, kTail1) << kAfterE0 |
                   inRange(b, 0x80, 0x9F, kTail1) << kAfterED | inRange(b, 0x90, 0xBF, kTail2) << kAfterF0 |
                   inRange(b, 0x80, 0x8F, kTail2) << kAfterF4;
    }
    return steps;
}

constexpr std::array<std::uint64_t, 256> kUtf8Steps = utf8Steps();

// The first byte at or after i that is not ASCII; n when none.
std::size_t skipAscii(const unsigned char* s, std::size_t n, std::size_t i)
{
#if defined(__SSE2__)
    for (; i + 32 <= n; i += 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
        if (_mm_movemask_epi8(_mm_or_si128(a, b)) != 0)
            break;
    }
    for (; i + 16 <= n; i += 16) {
        const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        if (high != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(high)));
    }
#else
    for (std::uint64_t word; i + sizeof word <= n; i += sizeof word) {
        std::memcpy(&word, s + i, sizeof word);
        if ((word & 0x8080808080808080ULL) != 0)
            break;
    }
#endif
    while (i < n && s[i] < 0x80)
        ++i;
    return i;
}

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0;;) {
        // Pages are mostly ASCII markup with runs of Chinese text between.
        i = skipAscii(s, n, i);
        if (i == n)
            return true;
        // The DFA reads the run until a sequence ends before an ASCII byte.
        std::uint64_t state = kAccept;
        do {
            state = kUtf8Steps[s[i]] >> state & 63;
            ++i;
        } while (i < n && (state > kError || (state == kAccept && s[i] >= 0x80)));
        if (state != kAccept)
            return false;
    }
}

} // namespace zorvane
