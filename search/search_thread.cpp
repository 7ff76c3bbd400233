#include "search/search_thread.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <system_error>

#include "core/app_state.h"
#include "core/feedback.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/text.h"
#include "search/page_analysis.h"
#include "search/search_job.h"

namespace zorvane {

SearchParams copySearchParams(AppState& state)
{
    std::lock_guard guard(*state.paramsLock);
    return state.searchParams;
}

bool waitInterval(AppState& state, int ms)
{
    return state.stopEvent.waitFor(std::chrono::milliseconds(ms > 0 ? ms : 0));
}

void searchThreadMain(AppState& state, FeedbackSink& sink)
{
    SearchJob job;
    job.params = copySearchParams(state);
    SearchParams& params = job.params;
    const std::string& prefix = job.logPrefix;
    if (params.nextPageAddress.empty()) {
        params.nextPageAddress = params.goodsAddress;
        params.pagesDone = 0;
    }
    auto limitReached = [&] { return params.pageLimit > 0 && params.pagesDone >= params.pageLimit; };

    while (!limitReached()) {
        appendLog(state, prefix + "(" + std::to_string(params.pagesDone + 1) + "页)正在搜索...");
        if (analysePage(state, sink, job)) {
            ++params.pagesDone;
            sink.post(Feedback{kFeedbackPageDone, params.pagesDone, std::nullopt});
            appendLog(state, prefix + "已搜索" + std::to_string(params.pagesDone) + "页");
            if (limitReached())
                break;
            if (params.nextPageAddress.empty()) {
                appendLog(state, prefix + "搜索完毕");
                break;
            }
        }
        if (params.pageInterval > 0)
            appendLog(state, prefix + std::to_string(params.pageInterval) + "毫秒后继续...");
        // Made also for interval 0: a stop or pause is seen after every page.
        if (waitInterval(state, params.pageInterval))
            break;
    }

    {
        std::lock_guard guard(*state.paramsLock);
        state.searchParams = params;
    }
    // The window may release everything on this message: touch nothing after it.
    sink.send(Feedback{kFeedbackSearchEnded, 0, std::nullopt});
}

int readWholeNumber(const std::string& text)
{
    const double value = std::trunc(parseNumber(text));
    if (std::isnan(value))
        return 0;
    if (value <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (value >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

SearchStart prepareSearchStart(AppState& state, const SearchInput& typed)
{
    SearchStart start;
    if (!busyCheck(state, false))
        return start;
    {
        std::lock_guard guard(*state.paramsLock);
        if (!state.searchParams.nextPageAddress.empty()) {
            start.accepted = true;
            start.resume = true;
            return start;
        }
    }
    auto refuse = [&](const char* control, const char* message) {
        start.control = control;
        start.message = message;
        return start;
    };
    SearchParams params;
    params.goodsAddress = trimSpaces(typed.address);
    if (params.goodsAddress.empty())
        return refuse("编辑框_参数_地址", "请输入可用商品地址");
    params.pageInterval = readWholeNumber(typed.interval);
    if (params.pageInterval < 0)
        return refuse("编辑框_参数_间隔", "翻页间隔不能为负数");
    params.pageLimit = readWholeNumber(typed.pageLimit);
    if (params.pageLimit < 0)
        return refuse("编辑框_参数_页数", "搜索页数不能为负数");
    params.extraHeaders = typed.extraHeaders;
    params.cookie = typed.cookie;
    {
        std::lock_guard guard(*state.paramsLock);
        state.searchParams = std::move(params);
    }
    start.accepted = true;
    return start;
}

bool startSearchThread(AppState& state, FeedbackSink& sink)
{
    // The last walk's thread object was released on its end message; a leftover
    // one is released here rather than ending the program on assignment.
    if (state.searchThread.joinable())
        closeThreadHandle(state, state.searchThread);
    try {
        state.searchThread = std::thread([&state, &sink] { searchThreadMain(state, sink); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

} // namespace zorvane
