#include "search/next_page.h"

#include <algorithm>
#include <cmath>

#include "core/app_state.h"
#include "core/log.h"
#include "core/text.h"
#include "search/patterns.h"
#include "search/search_job.h"
#include "services/regex_service.h"

namespace zorvane {

namespace {

// A missing argument is undefined; next_page reads only the first ten.
const JsValue& argument(const std::vector<JsValue>& arguments, int n)
{
    static const JsValue missing;
    return n <= static_cast<int>(arguments.size()) ? arguments[static_cast<std::size_t>(n - 1)] : missing;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive (ASCII) search for a name that starts with a letter; the
// candidates come from memchr on both cases of that letter, as pages are long.
std::size_t findNameNoCase(std::string_view text, std::string_view name, std::size_t from)
{
    const char lower = asciiLower(name.front());
    const char upper = static_cast<char>(lower - 'a' + 'A');
    std::size_t nextLower = text.find(lower, from);
    std::size_t nextUpper = text.find(upper, from);
    for (;;) {
        const std::size_t at = std::min(nextLower, nextUpper);
        if (at == std::string_view::npos || at + name.size() > text.size())
            return std::string_view::npos;
        if (std::equal(name.begin(), name.end(), text.begin() + static_cast<std::ptrdiff_t>(at),
                       [](char a, char b) { return asciiLower(a) == asciiLower(b); }))
            return at;
        if (at == nextLower)
            nextLower = text.find(lower, at + 1);
        else
            nextUpper = text.find(upper, at + 1);
    }
}

// Each paging pattern is a non-word character followed by a fixed name, so no
// match starts before the character in front of the first place the name
// stands (letter case aside, ASCII only, as ECMAScript folds). Running it from
// there finds the same first match without trying every position of a long
// page. Empty when the name is nowhere after the first character.
std::string fromNameOnwards(std::string_view page, std::string_view name)
{
    const std::size_t at = findNameNoCase(page, name, 1);
    if (at == std::string_view::npos)
        return {};
    std::size_t start = at - 1;
    while (start > 0 && (static_cast<unsigned char>(page[start]) & 0xC0) == 0x80)
        --start;
    return std::string(page.substr(start));
}

bool runFirst(RegexService& regex, std::string_view pattern, std::string subject, bool checked)
{
    return !subject.empty() &&
           regex.create(pattern, std::move(subject), {.global = false, .subjectChecked = checked}) &&
           regex.matchCount() >= 1;
}

} // namespace

std::string pagingQuery(const std::vector<JsValue>& arguments)
{
    auto number = [&](int n) { return jsToNumber(argument(arguments, n)); };
    const double current = number(1);
    const double nextStart = number(7);
    const double advertCount = number(9);
    const double promotionCount = number(10);
    const bool twiceLoading = jsToBoolean(argument(arguments, 5));

    double g = current;
    double m = number(2);
    double candidate = 0;
    if (twiceLoading) {
        g = std::ceil(current / 2);
        m = std::ceil(m / 2);
        candidate = 2 * g + 1;
    } else {
        candidate = g + 1;
    }
    if (g >= m) // false when either is NaN, as in the page's script
        return "-1";

    double page = jsParseIntOfNumber(candidate);
    if (page < 1)
        page = 1;
    const double c = twiceLoading ? 1 : 2;
    const double perPage = 30 * c;
    const double advertsPerPage = 4 * c;
    const double promotionsPerPage = 2 * c;
    double start = 1;
    if (page != 1) {
        start = nextStart + (page - current - 1) * perPage - jsMin(advertCount, (page - 1) * advertsPerPage) +
                jsMin(advertCount, current * advertsPerPage) -
                jsMin(promotionCount, (page - 1) * promotionsPerPage) +
                jsMin(promotionCount, current * promotionsPerPage);
    }
    return "page=" + jsNumberToString(page) + "&s=" + jsNumberToString(start);
}

NextPageOutcome findNextPage(std::string_view pageText, std::string_view searchHost)
{
    // The three runs share one UTF-8 check of the page.
    return findNextPage(pageText, searchHost, isValidUtf8(pageText));
}

NextPageOutcome findNextPage(std::string_view pageText, std::string_view searchHost, bool checked)
{
    NextPageOutcome outcome;
    RegexService regex;
    if (!runFirst(regex, kBaseQueryPattern, fromNameOnwards(pageText, "SEARCH.base_url"), checked)) {
        outcome.failure = "获取下一页地址失败(匹配baseUrl失败)";
        return outcome;
    }
    // The base query is a string literal's body: \x26 and friends stand for "&".
    const std::string base = decodeJsEscapes(regex.subMatchText(1, 1));

    std::string click;
    if (runFirst(regex, kClickPattern, fromNameOnwards(pageText, "SEARCH.click"), checked))
        click = "&click=" + regex.subMatchText(1, 1);

    if (!runFirst(regex, kPagingArgumentsPattern, fromNameOnwards(pageText, "s.init("), checked)) {
        outcome.failure = "获取下一页地址失败(匹配js参数失败)";
        return outcome;
    }
    const std::optional<std::vector<JsValue>> arguments = parseJsArguments(regex.subMatchText(1, 1));
    if (!arguments) {
        outcome.result = nextPageScriptFailed;
        outcome.failure = "获取下一页地址失败(执行脚本失败)";
        return outcome;
    }
    const std::string query = pagingQuery(*arguments);
    outcome.result = nextPageDone;
    if (query != "-1") {
        outcome.address.reserve(searchHost.size() + base.size() + query.size() + click.size() + 17);
        outcome.address.append("https://").append(searchHost).append("/Search?");
        outcome.address.append(base).append("&").append(query).append(click);
    }
    return outcome;
}

int applyNextPage(AppState& state, SearchJob& job, const NextPageOutcome& outcome)
{
    if (outcome.result == nextPageDone)
        job.params.nextPageAddress = outcome.address;
    else
        appendLog(state, job.logPrefix + outcome.failure);
    return outcome.result;
}

int computeNextPage(AppState& state, SearchJob& job, std::string_view pageText)
{
    return applyNextPage(state, job, findNextPage(pageText, state.config.searchHost));
}

} // namespace zorvane
