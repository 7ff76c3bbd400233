#include "services/regex_service.h"

#include <optional>
#include <vector>

#include "base/text.h"
#include "services/regex_pattern.h"

namespace zorvane {

using regex_detail::CompiledPattern;

namespace {

// Callers that cannot put a double quote into a pattern write this instead.
constexpr std::string_view kQuoteMarker = "#引号";

// The offsets of every match of a run: (start, end) pairs for group 0 up to
// the last group, one block per match; PCRE2_UNSET for a group that took no part.
struct MatchList
{
    std::size_t pairs = 1;
    std::vector<PCRE2_SIZE> offsets;

    int count() const { return static_cast<int>(offsets.size() / (2 * pairs)); }
};

// Byte offset of the character after the one starting at pos (UTF-8).
PCRE2_SIZE nextCharacter(const std::string& subject, PCRE2_SIZE pos)
{
    ++pos;
    while (pos < subject.size() && (static_cast<unsigned char>(subject[pos]) & 0xC0) == 0x80)
        ++pos;
    return pos;
}

std::optional<MatchList> runPattern(const CompiledPattern& pattern, const std::string& subject, bool global,
                                    bool subjectChecked)
{
    const pcre2_code* code = pattern.codeFor(subject.size());
    regex_detail::MatchDataPtr data(pcre2_match_data_create_from_pattern(code, nullptr));
    if (!data || !regex_detail::startRunClock())
        return std::nullopt;
    pcre2_match_context* context = regex_detail::threadMatchContext();
    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());

    MatchList list;
    list.pairs = static_cast<std::size_t>(pattern.captureCount) + 1;
    std::uint32_t flags = subjectChecked ? PCRE2_NO_UTF_CHECK : 0;
    PCRE2_SIZE offset = 0;
    while (offset <= subject.size()) {
        int rc = pcre2_match(code, text, subject.size(), offset, flags, data.get(), context);
        if (rc == PCRE2_ERROR_NOMATCH)
            break;
        if (rc < 0)
            return std::nullopt; // bad UTF-8, a limit hit, or out of memory
        // The first call has checked the whole subject.
        flags |= PCRE2_NO_UTF_CHECK;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        const std::size_t set = rc == 0 ? list.pairs : static_cast<std::size_t>(rc);
        for (std::size_t i = 0; i < list.pairs; ++i) {
            list.offsets.push_back(i < set ? ovector[2 * i] : PCRE2_UNSET);
            list.offsets.push_back(i < set ? ovector[2 * i + 1] : PCRE2_UNSET);
        }
        if (!global)
            break;
        const PCRE2_SIZE start = ovector[0];
        offset = ovector[1];
        if (offset <= start) {
            // Empty match: resume one character on, as ECMAScript does.
            if (offset >= subject.size())
                break;
            offset = nextCharacter(subject, offset);
        }
    }
    return list;
}

// Text of group (0 = whole match) of match index (0-based), both in range.
std::string groupText(const MatchList& list, const std::string& subject, int index, int group, int* position)
{
    const std::size_t at =
        2 * (static_cast<std::size_t>(index) * list.pairs + static_cast<std::size_t>(group));
    const PCRE2_SIZE start = list.offsets[at];
    const PCRE2_SIZE end = list.offsets[at + 1];
    if (start == PCRE2_UNSET || end < start)
        return {};
    if (position)
        *position = static_cast<int>(start);
    return subject.substr(start, end - start);
}

} // namespace

struct RegexService::Impl
{
    std::shared_ptr<const CompiledPattern> pattern;
    std::shared_ptr<const MatchList> matches; // null when the last run failed
    std::string subject;
    bool global = true;
};

RegexService::RegexService() : m_impl(std::make_unique<Impl>()) {}
RegexService::~RegexService() = default;
RegexService::RegexService(RegexService&&) noexcept = default;
RegexService& RegexService::operator=(RegexService&&) noexcept = default;

bool RegexService::create(std::string_view pattern, std::string subject, RegexOptions how)
{
    if (!m_impl)
        m_impl = std::make_unique<Impl>();
    Impl& d = *m_impl;
    d.pattern.reset();
    d.matches.reset();
    d.subject = std::move(subject);
    d.global = how.global;

    std::uint32_t options = regex_detail::kBaseOptions;
    if (!how.caseSensitive)
        options |= PCRE2_CASELESS;
    if (how.multiLine)
        options |= PCRE2_MULTILINE;
    d.pattern = how.quoteMarker
                    ? regex_detail::compiledPattern(replaceAll(pattern, kQuoteMarker, "\""), options)
                    : regex_detail::compiledPattern(pattern, options);
    if (!d.pattern)
        return false;
    std::optional<MatchList> list = runPattern(*d.pattern, d.subject, how.global, how.subjectChecked);
    if (!list)
        return false;
    d.matches = std::make_shared<const MatchList>(std::move(*list));
    return true;
}

RegexService RegexService::copy() const
{
    RegexService other;
    if (m_impl)
        *other.m_impl = *m_impl;
    return other;
}

std::string RegexService::pattern() const
{
    return m_impl && m_impl->pattern ? m_impl->pattern->text : std::string();
}

std::string RegexService::replace(std::string_view replacement) const
{
    if (!m_impl || !m_impl->pattern || !m_impl->matches)
        return {};
    const Impl& d = *m_impl;
    // A group that took no part stands for "", as in ECMAScript (PCRE2 would
    // fail the whole replacement).
    std::uint32_t options = PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | PCRE2_SUBSTITUTE_UNSET_EMPTY;
    if (d.global)
        options |= PCRE2_SUBSTITUTE_GLOBAL;
    std::string out(d.subject.size() + replacement.size() + 64, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!regex_detail::startRunClock())
            return {};
        PCRE2_SIZE length = out.size();
        int rc = pcre2_substitute(d.pattern->codeFor(d.subject.size()),
                                  reinterpret_cast<PCRE2_SPTR>(d.subject.data()), d.subject.size(), 0,
                                  options, nullptr, regex_detail::threadMatchContext(),
                                  reinterpret_cast<PCRE2_SPTR>(replacement.data()), replacement.size(),
                                  reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
        if (rc >= 0) {
            out.resize(length);
            return out;
        }
        if (rc != PCRE2_ERROR_NOMEMORY)
            return {};
        out.resize(length); // the size PCRE2 asked for, terminating zero included
    }
    return {};
}

int RegexService::matchCount() const
{
    return m_impl && m_impl->matches ? m_impl->matches->count() : 0;
}

std::string RegexService::matchText(int match, int* position) const
{
    if (position)
        *position = -1;
    if (match < 1 || match > matchCount())
        return {};
    return groupText(*m_impl->matches, m_impl->subject, match - 1, 0, position);
}

std::string RegexService::subMatchText(int match, int group, int* position) const
{
    if (position)
        *position = -1;
    if (match < 1 || match > matchCount() || group < 1 || group > m_impl->pattern->captureCount)
        return {};
    return groupText(*m_impl->matches, m_impl->subject, match - 1, group, position);
}

int RegexService::subMatchCount() const
{
    return matchCount() > 0 ? m_impl->pattern->captureCount : 0;
}

void RegexService::destroy()
{
    if (m_impl)
        *m_impl = Impl{};
}

void RegexService::setJitEnabled(bool enabled)
{
    regex_detail::setJitEnabled(enabled);
}

bool RegexService::jitActive()
{
    return regex_detail::jitEnabled();
}

RegexDeadline::RegexDeadline(std::chrono::milliseconds budget)
{
    const auto deadline = std::chrono::steady_clock::now() + budget;
    m_previous = regex_detail::setThreadDeadline(deadline);
    if (m_previous < deadline)
        regex_detail::setThreadDeadline(m_previous);
}

RegexDeadline::~RegexDeadline()
{
    regex_detail::setThreadDeadline(m_previous);
}

} // namespace zorvane
