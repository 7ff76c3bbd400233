#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <pcre2.h>

// Compiled PCRE2 patterns shared by every RegexService, and the per-thread
// match context that carries the run limits. Internal to services/.
namespace zorvane::regex_detail {

struct CodeDeleter
{
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter
{
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
using CodePtr = std::unique_ptr<pcre2_code, CodeDeleter>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

// A compiled (and, where possible, JIT-compiled) pattern. Immutable once
// built, so one instance serves concurrent runs on any number of threads.
struct CompiledPattern
{
    std::string text;
    CodePtr code;
    CodePtr clocked; // the same behind the run clock's callout; null when it cannot be
    int captureCount = 0;

    // The code for a subject of this length: clocked for long subjects, where
    // a run could take long; the callout costs JIT some of its shortcuts.
    const pcre2_code* codeFor(std::size_t subjectLength) const
    {
        return clocked && subjectLength > kClockedFrom ? clocked.get() : code.get();
    }
    static constexpr std::size_t kClockedFrom = 16 * 1024;
};

// Compile options shared by every pattern: UTF-8 text, JavaScript-style
// escapes, no \C (it could split a character), $ only at the very end.
inline constexpr std::uint32_t kBaseOptions =
    PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C | PCRE2_DOLLAR_ENDONLY;

// Run limits: a pattern that backtracks catastrophically fails instead of
// holding the search thread for minutes.
inline constexpr std::uint32_t kMatchLimit = 10'000'000;
inline constexpr std::uint32_t kDepthLimit = 5'000;
inline constexpr std::uint32_t kHeapLimitKiB = 20'480;

// PCRE2 counts its match limit afresh at every start position, so a subject
// with many starting points that each read on to its end (thousands of
// "<div class='p-name'>" without a name, say) costs time quadratic in its
// length within the limits. Every pattern is therefore also compiled behind a
// callout, taken once per start position, that ends the run once its time is
// up; short subjects (see CompiledPattern::codeFor) cannot take long anyway.
inline constexpr std::chrono::milliseconds kRunTimeLimit{2000};

// Starts the clock of a run on this thread: it may last kRunTimeLimit, and
// no longer than a deadline set for the thread (setThreadDeadline). False
// when that deadline has already passed: the run is not to start.
bool startRunClock();

// The deadline for every run on this thread; time_point::max() for none.
// Returns the previous one.
std::chrono::steady_clock::time_point setThreadDeadline(std::chrono::steady_clock::time_point deadline);

// The compiled pattern for (text, options), from the process-wide cache or
// freshly compiled; nullptr when PCRE2 rejects the pattern.
std::shared_ptr<const CompiledPattern> compiledPattern(std::string_view text, std::uint32_t options);

// This thread's match context (limits and JIT stack); nullptr only when
// PCRE2 could not allocate it.
pcre2_match_context* threadMatchContext();

// JIT is used when the library has it and it is enabled (the default).
void setJitEnabled(bool enabled);
bool jitEnabled();

} // namespace zorvane::regex_detail
