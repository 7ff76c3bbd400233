#include "search/next_page.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "core/app_state.h"
#include "core/log.h"
#include "search/patterns.h"
#include "search/search_job.h"
#include "services/text_pattern.h"

namespace zorvane {

namespace {

// A missing argument is undefined; next_page reads only the first ten.
const JsValue& argument(const std::vector<JsValue>& arguments, int n)
{
    static const JsValue missing;
    return n <= static_cast<int>(arguments.size()) ? arguments[static_cast<std::size_t>(n - 1)] : missing;
}

// Where the paging names first stand (letter case aside, ASCII only, as
// ECMAScript folds), each after at least one character; npos for a missing one.
struct NamePlaces
{
    std::size_t baseQuery = std::string_view::npos;
    std::size_t click = std::string_view::npos;
    std::size_t arguments = std::string_view::npos;
};

// Every name holds a point, which has no letter case and is far rarer in a
// page than the names' letters, so one pass over the points finds all three.
NamePlaces findNamePlaces(std::string_view page)
{
    NamePlaces places;
    auto take = [&](std::size_t& place, std::size_t at, std::string_view name) {
        if (place == std::string_view::npos && at >= 1 && hasWordNoCaseAt(page, at, name))
            place = at;
    };
    for (std::size_t dot = page.find('.'); dot != std::string_view::npos; dot = page.find('.', dot + 1)) {
        if (dot >= 1)
            take(places.arguments, dot - 1, "s.init(");
        if (dot >= 6) {
            take(places.baseQuery, dot - 6, "search.base_url");
            take(places.click, dot - 6, "search.click");
        }
        if (places.arguments != std::string_view::npos && places.baseQuery != std::string_view::npos &&
            places.click != std::string_view::npos)
            break;
    }
    return places;
}

// Each paging pattern is a non-word character followed by a fixed name, so no
// match starts before the character in front of the name's first place.
// Running it from there finds the same first match without trying every
// position of a long page.
bool findFrom(std::string_view page, std::size_t namePlace, std::string_view pattern, bool checked,
              TextMatch& match)
{
    if (namePlace == std::string_view::npos)
        return false;
    std::size_t start = namePlace - 1;
    while (start > 0 && (static_cast<unsigned char>(page[start]) & 0xC0) == 0x80)
        --start;
    const TextPattern compiled(pattern);
    return compiled.find(page.substr(start), 0, checked, match) == MatchResult::Found;
}

} // namespace

std::string pagingQuery(const std::vector<JsValue>& arguments)
{
    auto number = [&](int n) { return jsToNumber(argument(arguments, n)); };
    const double current = number(1);
    const double advertCount = number(9);
    const double promotionCount = number(10);
    const bool twiceLoading = jsToBoolean(argument(arguments, 5));

    // Halving goes through numbers; without it the page's own values meet +
    // and >=, where a quoted one stays a string.
    JsValue g = argument(arguments, 1);
    JsValue m = argument(arguments, 2);
    JsValue candidate;
    if (twiceLoading) {
        g = JsValue::fromNumber(std::ceil(current / 2));
        m = JsValue::fromNumber(std::ceil(number(2) / 2));
        candidate = JsValue::fromNumber(2 * g.number + 1);
    } else {
        candidate = jsAdd(g, JsValue::fromNumber(1));
    }
    if (jsGreaterOrEqual(g, m))
        return "-1";

    double page = jsParseInt(jsToString(candidate));
    if (page < 1)
        page = 1;
    const double c = twiceLoading ? 1 : 2;
    const double perPage = 30 * c;
    const double advertsPerPage = 4 * c;
    const double promotionsPerPage = 2 * c;
    double start = 1;
    if (page != 1) {
        // The first + joins texts when the next start is quoted; the - after it reads them as a number.
        const JsValue head =
            jsAdd(argument(arguments, 7), JsValue::fromNumber((page - current - 1) * perPage));
        start = jsToNumber(head) - jsMin(advertCount, (page - 1) * advertsPerPage) +
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
    const NamePlaces places = findNamePlaces(pageText);
    TextMatch match;
    if (!findFrom(pageText, places.baseQuery, kBaseQueryPattern, checked, match)) {
        outcome.error = "获取下一页地址失败(匹配baseUrl失败)";
        return outcome;
    }
    // The base query is a string literal's body: \x26 and friends stand for "&".
    const std::string base = decodeJsEscapes(match.group(1));

    std::string click;
    if (findFrom(pageText, places.click, kClickPattern, checked, match))
        click.append("&click=").append(match.group(1));

    if (!findFrom(pageText, places.arguments, kPagingArgumentsPattern, checked, match)) {
        outcome.error = "获取下一页地址失败(匹配js参数失败)";
        return outcome;
    }
    const std::optional<std::vector<JsValue>> arguments = parseJsArguments(match.group(1));
    if (!arguments) {
        outcome.result = NextPageResult::ScriptFailed;
        outcome.error = "获取下一页地址失败(执行脚本失败)";
        return outcome;
    }
    const std::string query = pagingQuery(*arguments);
    outcome.result = NextPageResult::Done;
    if (query != "-1") {
        outcome.address.reserve(searchHost.size() + base.size() + query.size() + click.size() + 17);
        outcome.address.append("https://").append(searchHost).append("/Search?");
        outcome.address.append(base).append("&").append(query).append(click);
    }
    return outcome;
}

NextPageResult applyNextPage(AppState& state, SearchJob& job, const NextPageOutcome& outcome)
{
    if (outcome.result == NextPageResult::Done)
        job.params.nextPageAddress = outcome.address;
    else
        appendLog(state, job.logPrefix + outcome.error);
    return outcome.result;
}

NextPageResult computeNextPage(AppState& state, SearchJob& job, std::string_view pageText)
{
    return applyNextPage(state, job, findNextPage(pageText, state.config.searchHost));
}

} // namespace zorvane
