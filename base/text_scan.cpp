#include "base/text_scan.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/text.h"

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

} // namespace zorvane
