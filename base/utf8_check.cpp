#include <cstdint>
#include <cstring>

#include "base/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#else
#include <array>
#endif

// Pages are mostly ASCII markup with runs of Chinese text between: a block of
// sixteen ASCII bytes costs one test, and a block with other bytes is checked
// whole, its bytes against the one to three before them.
namespace zorvane {

namespace {

#if defined(__SSE2__)

__m128i bytes(int value)
{
    return _mm_set1_epi8(static_cast<char>(value));
}

// The bytes of the block n places back, reaching into the block before it.
template <int n> __m128i back(__m128i block, __m128i before)
{
    return _mm_or_si128(_mm_slli_si128(block, n), _mm_srli_si128(before, 16 - n));
}

// Non-zero where the block breaks UTF-8, given the block before it. Bytes
// 80..BF are below C0 as signed bytes, and so are the ranges of the second
// bytes after E0, ED, F0 and F4.
__m128i blockErrors(__m128i block, __m128i before)
{
    const __m128i back1 = back<1>(block, before);
    // Lead bytes one, two or three back that still want a continuation here.
    const __m128i wanted = _mm_or_si128(_mm_subs_epu8(back1, bytes(0xBF)),
                                        _mm_or_si128(_mm_subs_epu8(back<2>(block, before), bytes(0xDF)),
                                                     _mm_subs_epu8(back<3>(block, before), bytes(0xEF))));
    const __m128i continuation = _mm_cmplt_epi8(block, bytes(0xC0));
    __m128i errors = _mm_cmpeq_epi8(_mm_cmpeq_epi8(wanted, _mm_setzero_si128()), continuation);
    errors = _mm_or_si128(errors, _mm_subs_epu8(block, bytes(0xF4)));                              // F5..FF
    errors = _mm_or_si128(errors, _mm_cmpeq_epi8(_mm_and_si128(block, bytes(0xFE)), bytes(0xC0))); // C0, C1
    const auto after = [&](int lead, __m128i wrong) {
        errors = _mm_or_si128(errors, _mm_and_si128(_mm_cmpeq_epi8(back1, bytes(lead)), wrong));
    };
    after(0xE0, _mm_cmplt_epi8(block, bytes(0xA0))); // overlong
    after(0xED, _mm_cmpgt_epi8(block, bytes(0x9F))); // surrogate
    after(0xF0, _mm_cmplt_epi8(block, bytes(0x90))); // overlong
    after(0xF4, _mm_cmpgt_epi8(block, bytes(0x8F))); // above U+10FFFF
    return errors;
}

// Non-zero where a sequence starting in the block runs past its end.
__m128i unfinished(__m128i block)
{
    const __m128i last =
        _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xEF),
                      static_cast<char>(0xDF), static_cast<char>(0xBF));
    return _mm_subs_epu8(block, last);
}

#else

// UTF-8 as a DFA whose transitions are packed into one word per byte: a
// state is a bit offset, and the next state is the six bits at that offset
// of the byte's word (shift-based DFA), so a step is a shift and a mask.
constexpr std::uint64_t kAccept = 0;
constexpr std::uint64_t kError = 6;
constexpr std::uint64_t kTail1 = 12;   // one continuation byte to come
constexpr std::uint64_t kTail2 = 18;   // two
constexpr std::uint64_t kTail3 = 24;   // three
constexpr std::uint64_t kAfterE0 = 30; // A0..BF, then one more (no overlongs)
constexpr std::uint64_t kAfterED = 36; // 80..9F, then one more (no surrogates)
constexpr std::uint64_t kAfterF0 = 42; // 90..BF, then two more (no overlongs)
constexpr std::uint64_t kAfterF4 = 48; // 80..8F, then two more (nothing above U+10FFFF)

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

#endif

} // namespace

#if defined(__SSE2__)

bool isValidUtf8(std::string_view text)
{
    const char* s = text.data();
    const std::size_t n = text.size();
    __m128i before = _mm_setzero_si128();
    __m128i errors = _mm_setzero_si128();
    __m128i open = _mm_setzero_si128();
    const auto check = [&](__m128i block) {
        if (_mm_movemask_epi8(block) == 0) {
            // ASCII continues no sequence.
            errors = _mm_or_si128(errors, open);
            open = _mm_setzero_si128();
        } else {
            errors = _mm_or_si128(errors, blockErrors(block, before));
            open = unfinished(block);
        }
        before = block;
    };
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16)
        check(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
    // The rest padded with NUL, which also ends any sequence left open.
    char last[16] = {};
    if (n > i)
        std::memcpy(last, s + i, n - i);
    check(_mm_loadu_si128(reinterpret_cast<const __m128i*>(last)));
    errors = _mm_or_si128(errors, open);
    return _mm_movemask_epi8(_mm_cmpeq_epi8(errors, _mm_setzero_si128())) == 0xFFFF;
}

#else

bool isValidUtf8(std::string_view text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0;;) {
        while (i < n && s[i] < 0x80)
            ++i;
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

#endif

} // namespace zorvane
