#include "services/text_pattern.h"

#include "services/regex_pattern.h"

namespace zorvane {

namespace {

// The page patterns have few groups: one match block per thread serves them
// all, so a run allocates nothing.
constexpr std::uint32_t kSharedPairs = 16;

pcre2_match_data* threadMatchData()
{
    thread_local regex_detail::MatchDataPtr data(pcre2_match_data_create(kSharedPairs, nullptr));
    return data.get();
}

std::size_t nextCharacter(std::string_view subject, std::size_t pos)
{
    ++pos;
    while (pos < subject.size() && (static_cast<unsigned char>(subject[pos]) & 0xC0) == 0x80)
        ++pos;
    return pos;
}

} // namespace

TextPattern::TextPattern(std::string_view pattern)
    : m_pattern(regex_detail::compiledPattern(pattern,
                                              regex_detail::kBaseOptions | PCRE2_CASELESS | PCRE2_MULTILINE))
{
}

MatchResult TextPattern::find(std::string_view subject, std::size_t from, bool subjectChecked,
                              TextMatch& match) const
{
    match.groups.clear();
    if (!m_pattern || from > subject.size())
        return m_pattern ? MatchResult::NotFound : MatchResult::Failed;
    const auto pairs = static_cast<std::uint32_t>(m_pattern->captureCount) + 1;
    regex_detail::MatchDataPtr own;
    pcre2_match_data* data = threadMatchData();
    if (pairs > kSharedPairs || !data) {
        own.reset(pcre2_match_data_create(pairs, nullptr));
        data = own.get();
    }
    if (!data || !regex_detail::startRunClock())
        return MatchResult::Failed;
    const int rc = pcre2_match(
        m_pattern->codeFor(subject.size()), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
        from, subjectChecked ? PCRE2_NO_UTF_CHECK : 0, data, regex_detail::threadMatchContext());
    if (rc == PCRE2_ERROR_NOMATCH)
        return MatchResult::NotFound;
    if (rc < 0)
        return MatchResult::Failed;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    const auto set = rc == 0 ? pairs : static_cast<std::uint32_t>(rc);
    for (std::uint32_t i = 0; i < pairs; ++i) {
        const PCRE2_SIZE start = ovector[2 * i];
        const PCRE2_SIZE end = ovector[2 * i + 1];
        const bool took = i < set && start != PCRE2_UNSET && end >= start;
        match.groups.push_back(took ? subject.substr(start, end - start) : std::string_view());
    }
    return MatchResult::Found;
}

bool TextPattern::findAll(std::string_view subject, bool subjectChecked,
                          const std::function<void(const TextMatch&)>& onMatch) const
{
    TextMatch match;
    std::size_t from = 0;
    while (from <= subject.size()) {
        const MatchResult result = find(subject, from, subjectChecked, match);
        if (result != MatchResult::Found)
            return result == MatchResult::NotFound;
        // The first run has checked the whole subject.
        subjectChecked = true;
        onMatch(match);
        const std::size_t start = static_cast<std::size_t>(match.groups[0].data() - subject.data());
        from = start + match.groups[0].size();
        if (from == start) {
            if (from >= subject.size())
                break;
            from = nextCharacter(subject, from);
        }
    }
    return true;
}

} // namespace zorvane
