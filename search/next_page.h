#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "search/js_values.h"

namespace zorvane {

struct AppState;
struct SearchJob;

// Results of the next-page computation.
enum class NextPageResult
{
    NotFound,     // base query or paging arguments missing
    ScriptFailed, // the paging arithmetic could not run
    Done,         // the address is known ("" after the last page)
};

struct NextPageOutcome
{
    NextPageResult result = NextPageResult::NotFound;
    std::string address; // on NextPageResult::Done: the next page, or "" when there is none
    std::string error;   // otherwise: the log text

    bool ok() const { return result == NextPageResult::Done; }
};

// The shop's paging arithmetic over the set-up call's arguments: "-1" on the
// last page, otherwise "page=G&s=S" with numbers written as JavaScript writes them.
std::string pagingQuery(const std::vector<JsValue>& arguments);

// Reads the paging values of a result page and builds the next page's address
// on the search host. Touches no shared state.
NextPageOutcome findNextPage(std::string_view pageText, std::string_view searchHost);
// The same for a page already found to be valid UTF-8 (textChecked), which
// spares the runs their own check.
NextPageOutcome findNextPage(std::string_view pageText, std::string_view searchHost, bool textChecked);

// Applies an outcome to the job: logs a failure with the job's prefix, or
// replaces the job's next page address. Returns the outcome's result.
NextPageResult applyNextPage(AppState& state, SearchJob& job, const NextPageOutcome& outcome);

// findNextPage on the configured search host, applied to the job.
NextPageResult computeNextPage(AppState& state, SearchJob& job, std::string_view pageText);

} // namespace zorvane
