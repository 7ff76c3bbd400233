// Letter case spelt out in a pattern. The first byte chooses whether case is
// ignored, the second how many of the following bytes are the pattern; the
// rest, cut to ASCII, is the subject. The rewriting must never fail, and where
// PCRE2 takes the pattern the rewritten one must be taken too and match what
// PCRE2's own caseless matching matches. The comparison holds for ASCII
// subjects and patterns that name no character beyond U+00FF: PCRE2 folds
// U+017F to s and U+212A to k, which the rewriting leaves out on purpose.
// (*UCP) is left out as well: under it PCRE2 keeps [:upper:] upper case
// when case is ignored.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <pcre2.h>

#include "fuzz/fuzz_check.h"
#include "services/case_spelling.h"
#include "services/regex_pattern.h"

namespace {

using namespace zorvane::regex_detail;

struct Code
{
    pcre2_code* code = nullptr;
    ~Code() { pcre2_code_free(code); }
};

struct Data
{
    pcre2_match_data* data = nullptr;
    ~Data() { pcre2_match_data_free(data); }
};

pcre2_code* compile(std::string_view pattern, std::uint32_t options, pcre2_compile_context* context)
{
    int error = 0;
    PCRE2_SIZE offset = 0;
    return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &error,
                         &offset, context);
}

// Escapes that can name a character beyond U+00FF: \u, \o{}, \N{U+}, and three
// octal digits from \400 on. Read loosely: an escaped backslash before the
// letter only skips more patterns.
bool namesWideCharacters(std::string_view pattern)
{
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
        if (pattern[i] != '\\')
            continue;
        const char c = pattern[i + 1];
        if (c == 'u' || c == 'o' || c == 'N' || (c >= '4' && c <= '7'))
            return true;
    }
    return false;
}

bool comparable(std::string_view pattern)
{
    for (const char c : pattern)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return !namesWideCharacters(pattern) && pattern.find("UCP") == std::string_view::npos;
}

pcre2_compile_context* compileContext()
{
    static pcre2_compile_context* context = [] {
        pcre2_compile_context* made = pcre2_compile_context_create(nullptr);
        pcre2_set_newline(made, PCRE2_NEWLINE_LF);
        return made;
    }();
    return context;
}

pcre2_match_context* matchContext()
{
    static pcre2_match_context* context = [] {
        pcre2_match_context* made = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(made, 100'000);
        pcre2_set_depth_limit(made, 1'000);
        pcre2_set_heap_limit(made, 4'096);
        return made;
    }();
    return context;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const bool caseless = (data[0] & 1) != 0;
    const std::size_t patternLength = std::min<std::size_t>(data[1], size - 2);
    const std::string_view pattern(reinterpret_cast<const char*>(data + 2), patternLength);
    const std::string spelled = spellOutCase(pattern, caseless);
    if (!comparable(pattern))
        return 0;

    Code original{compile(pattern, kBaseOptions | (caseless ? PCRE2_CASELESS : 0u), compileContext())};
    if (!original.code)
        return 0;
    Code rewritten{compile(spelled, kBaseOptions, compileContext())};
    FUZZ_CHECK(rewritten.code != nullptr);

    // PCRE2 counts its match limit afresh at each start position: a short
    // subject keeps every run quick.
    constexpr std::size_t kMaxSubject = 256;
    std::string subject(reinterpret_cast<const char*>(data + 2 + patternLength),
                        std::min(size - 2 - patternLength, kMaxSubject));
    for (char& c : subject)
        c = static_cast<char>(c & 0x7F);
    Data first{pcre2_match_data_create(32, nullptr)};
    Data second{pcre2_match_data_create(32, nullptr)};
    const auto run = [&](const Code& code, const Data& match) {
        return pcre2_match(code.code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0,
                           match.data, matchContext());
    };
    const int expected = run(original, first);
    const int got = run(rewritten, second);
    // A run cut short by a limit says nothing of what either would match.
    if (expected < PCRE2_ERROR_NOMATCH || got < PCRE2_ERROR_NOMATCH)
        return 0;
    FUZZ_CHECK(expected == got);
    const PCRE2_SIZE* want = pcre2_get_ovector_pointer(first.data);
    const PCRE2_SIZE* have = pcre2_get_ovector_pointer(second.data);
    for (int i = 0; i < 2 * expected; ++i)
        FUZZ_CHECK(want[i] == have[i]);
    return 0;
}
