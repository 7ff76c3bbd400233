#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace zorvane {

// How a pattern is compiled and run. The defaults are the page patterns':
// case-insensitive, ^ and $ at line breaks, every match.
struct RegexOptions
{
    bool caseSensitive = false;
    bool multiLine = true;
    bool global = true;       // every match, not only the first
    bool quoteMarker = false; // kQuoteMarker in the pattern stands for a double quote
    // The caller has already found the subject to be valid UTF-8, so the run
    // skips that check (pages are checked once, not once per pattern).
    // Passing true for invalid UTF-8 is undefined behaviour.
    bool subjectChecked = false;
};

// One compiled pattern and the matches of its last run, on PCRE2 (UTF mode,
// ECMAScript-like: no UCP, so \d \s \W keep their ASCII meaning; ignoring
// case folds ASCII letters only, as an inline (?i) does; '.' does not
// match a line feed, but does match a carriage return; after an empty match
// a global run resumes one character later). Matches and groups are numbered from 1; positions are
// 0-based byte offsets. A run that hits the match or depth limit fails, and so
// does a run that takes longer than two seconds (or outlives a RegexDeadline
// of its thread), so a hostile subject costs bounded time.
class RegexService final
{
public:
    RegexService();
    ~RegexService();
    RegexService(RegexService&&) noexcept;
    RegexService& operator=(RegexService&&) noexcept;
    RegexService(const RegexService&) = delete;
    RegexService& operator=(const RegexService&) = delete;

    // Compiles the pattern and runs it over the subject. True when the run
    // produced a match list (possibly empty); false when the pattern was
    // rejected, the subject is not UTF-8, or a limit was hit.
    bool create(std::string_view pattern, std::string subject, RegexOptions options = {});

    // A new instance sharing the compiled pattern, with the same matches and its own subject copy.
    RegexService copy() const;

    // The compiled pattern text (quote marker applied); "" when none compiled.
    std::string pattern() const;
    // The subject with the last run's matches replaced (all of them when the
    // run was global, else the first); $1 stands for group 1, $$ for a dollar.
    // "" when the last run failed.
    std::string replace(std::string_view replacement) const;
    int matchCount() const;
    // Text of a match or of one of its groups; "" when out of range or the
    // group took no part. The position is the 0-based byte offset, -1 then.
    std::string matchText(int match, int* position = nullptr) const;
    std::string subMatchText(int match, int group, int* position = nullptr) const;
    int subMatchCount() const;

    // Releases the pattern, the matches and the subject.
    void destroy();

    // Turns JIT compilation off (or back on) for patterns compiled from now
    // on, so a benchmark or test can measure or exercise the interpreter.
    static void setJitEnabled(bool enabled);
    // True when patterns are being JIT-compiled (library support and enabled).
    static bool jitActive();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// While it lives, every run on this thread fails once the budget, counted
// from its construction, is spent; an enclosing deadline that ends earlier
// stays in force. For a task of many runs, such as one page's goods.
class RegexDeadline final
{
public:
    explicit RegexDeadline(std::chrono::milliseconds budget);
    ~RegexDeadline();
    RegexDeadline(const RegexDeadline&) = delete;
    RegexDeadline& operator=(const RegexDeadline&) = delete;

private:
    std::chrono::steady_clock::time_point m_previous;
};

} // namespace zorvane
