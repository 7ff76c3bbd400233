#pragma once

#include <string>

#include "core/search_params.h"
#include "core/walk_events.h"

namespace zorvane {

struct AppState;
class FeedbackSink;

// Waits for a pause or stop request for at most ms milliseconds; true when
// one came before the time ran out, false on time-out. ms <= 0 only looks.
bool waitInterval(AppState& state, int ms);

// The wait in milliseconds before the given consecutive retry (1 = the
// first) of a page that failed: at least a second (the interval when that is
// longer), doubled for each further failure, up to a minute (or the interval
// when that is longer).
int retryWait(int interval, int failures);

// What the search thread's log lines start with.
inline constexpr char kSearchLogPrefix[] = "搜索线程：";

// What a walk is given, made once by the start: its parameters, with
// nextPageAddress "" for a walk afresh from the goods address, or where a
// paused walk goes on and the pages it had done.
struct WalkJob
{
    SearchParams params;
    std::string logPrefix = kSearchLogPrefix;
    // An unattended walk (the command line's) ends at a failure that asking
    // again cannot mend; the window's walk logs it and asks again.
    bool endAtLastingFailure = false;
};

// Where the job's walk starts.
WalkStart walkStartOf(const WalkJob& job);

// The search walk: walks the result pages of the job, reporting to the
// observer (walkStarted first), writes its parameters back to the search
// position so that a paused walk can go on, and ends with observer.walkEnded
// as its very last act. Returns the same end.
WalkEnd runWalk(AppState& state, const WalkJob& job, WalkObserver& observer);

// The walk with its events on the worker-to-window channel (see
// FeedbackWalkObserver): the body of the window's search thread.
void searchThreadMain(AppState& state, const WalkJob& job, FeedbackSink& sink);

// The input boxes of a start, as typed.
struct SearchInput
{
    std::string address;
    std::string interval;
    std::string pageLimit;
    std::string extraHeaders;
    std::string cookie;
    std::string retryLimit; // "" = no limit (the window has no box for it)
};

// The input a refused start names.
enum class InputField
{
    None,
    Address,
    Interval,
    PageLimit,
};

// The verdict on a start. On a refused input, field names the input to
// correct and message the text the front end logs and shows (title "提示",
// warning icon); a busy refusal has neither, as busyCheck has logged it.
struct SearchStart
{
    bool accepted = false;
    bool resume = false; // a paused walk goes on; the input was not read
    InputField field = InputField::None;
    std::string message;
    WalkJob job; // what an accepted start walks
};

// Everything of a start that needs no window: the busy check, the resume test
// and the validation. An accepted start's job is the paused walk's position
// or the checked input (address trimmed, nextPageAddress "", pagesDone 0).
SearchStart prepareSearchStart(AppState& state, const SearchInput& typed);

// Reads a number box the way the start does: the leading decimal number
// truncated towards zero and clamped to int (text without one gives 0).
int readWholeNumber(const std::string& text);

// Starts searchThreadMain over the job as the search worker. False when the
// thread cannot be created; the caller then reports "启动搜索线程失败".
bool startSearchThread(AppState& state, WalkJob job, FeedbackSink& sink);

} // namespace zorvane
