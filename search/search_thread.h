#pragma once

#include <string>

#include "core/search_params.h"

namespace zorvane {

struct AppState;
class FeedbackSink;

// A deep copy of the shared search parameters, taken under paramsLock.
SearchParams copySearchParams(AppState& state);

// Waits on stopEvent for at most ms milliseconds; true when the wait ended
// before the time ran out (a stop or pause), false on time-out. ms <= 0 only
// looks at the event.
bool waitInterval(AppState& state, int ms);

// The body of the search thread: walks the result pages from the saved
// position (or afresh from the goods address), writes all seven parameters
// back under paramsLock and sends code 1091 as its very last act.
void searchThreadMain(AppState& state, FeedbackSink& sink);

// The input boxes of a start, as typed.
struct SearchInput
{
    std::string address;      // 编辑框_参数_地址
    std::string interval;     // 编辑框_参数_间隔
    std::string pageLimit;    // 编辑框_参数_页数
    std::string extraHeaders; // 编辑框_参数_附加协议头
    std::string cookie;       // 编辑框_参数_COOKIE
};

// The verdict on a start. On a refused input, control names the box to focus
// and message the text the front end logs and shows (title "提示", warning
// icon); a busy refusal has both empty, as busyCheck has logged it.
struct SearchStart
{
    bool accepted = false;
    bool resume = false; // a paused walk goes on; the input was not read
    std::string control;
    std::string message;
};

// Everything of a start that needs no window: the busy check, the resume test
// and the validation; an accepted fresh start installs the new parameters
// (nextPageAddress "", pagesDone 0) under paramsLock.
SearchStart prepareSearchStart(AppState& state, const SearchInput& typed);

// Reads a number box the way the start does: the leading decimal number
// truncated towards zero and clamped to int (text without one gives 0).
int readWholeNumber(const std::string& text);

// Starts searchThreadMain on state.searchThread. False when the thread cannot
// be created; the caller then reports "启动搜索线程失败".
bool startSearchThread(AppState& state, FeedbackSink& sink);

} // namespace zorvane
