#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace zorvane {

namespace regex_detail {
struct CompiledPattern;
}

enum class MatchResult
{
    Found,
    NotFound,
    Failed, // the subject is not UTF-8, or a run limit or deadline was hit
};

// The groups of one match as views into the subject: groups[0] is the whole
// match; a group that took no part is an empty view with no data.
struct TextMatch
{
    std::vector<std::string_view> groups;

    std::string_view group(std::size_t n) const { return n < groups.size() ? groups[n] : std::string_view(); }
};

// A pattern compiled once and run over text the caller owns: nothing is
// copied, so a page is read where it lies. Runs case-insensitively in
// multi-line mode, with RegexService's flavour, run limits and clock.
class TextPattern final
{
public:
    explicit TextPattern(std::string_view pattern);

    // False when PCRE2 rejected the pattern; every run then fails.
    bool valid() const { return m_pattern != nullptr; }

    // The first match starting at or after from. subjectChecked: the subject
    // is known to be valid UTF-8 (undefined behaviour otherwise).
    MatchResult find(std::string_view subject, std::size_t from, bool subjectChecked, TextMatch& match) const;

    // Every match in order, as a global RegexService run finds them (after an
    // empty match the next try starts one character on). False when a run failed.
    bool findAll(std::string_view subject, bool subjectChecked,
                 const std::function<void(const TextMatch&)>& onMatch) const;

private:
    std::shared_ptr<const regex_detail::CompiledPattern> m_pattern;
};

} // namespace zorvane
