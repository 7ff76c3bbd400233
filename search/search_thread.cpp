#include "search/search_thread.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "base/numbers.h"
#include "base/text.h"
#include "core/app_state.h"
#include "core/walk_feedback.h"
#include "search/page_analysis.h"
#include "search/search_job.h"
#include "search/walk_proxy.h"

namespace zorvane {

namespace {

// Why the walk left its loop on a request: what a page decided wins, then a
// stop asked for, then what the page asked for, then the pause asked for.
WalkEndReason requestedEnd(AppState& state, const SearchJob& job)
{
    if (job.ending)
        return *job.ending;
    if (state.walk.state() == RunState::Stopping)
        return WalkEndReason::Stopped;
    if (job.pausedItself)
        return WalkEndReason::PausedItself;
    return state.walk.state() == RunState::Pausing ? WalkEndReason::Paused : WalkEndReason::Stopped;
}

// A page that keeps failing ends the walk where it can go on from that page,
// rather than asking an unwilling shop for ever.
void pauseAfterFailures(AppState& state, WalkObserver& observer, SearchJob& job, int failures)
{
    observer.logLine(job.logPrefix + "同一页连续失败" + std::to_string(failures) + "次，已暂停");
    job.pausedItself = true;
    state.walk.pauseItself();
}

} // namespace

int retryWait(int interval, int failures)
{
    const int longest = std::max(60000, interval);
    int wait = std::max(1000, interval);
    for (int i = 1; i < failures && wait < longest; ++i)
        wait = wait > longest / 2 ? longest : wait * 2;
    return wait;
}

bool waitInterval(AppState& state, int ms)
{
    return state.walk.waitForRequest(std::chrono::milliseconds(ms));
}

WalkStart walkStartOf(const WalkJob& job)
{
    const SearchParams& params = job.params;
    if (params.nextPageAddress.empty())
        return WalkStart{params.goodsAddress, 0};
    return WalkStart{params.nextPageAddress, params.pagesDone};
}

WalkEnd runWalk(AppState& state, const WalkJob& walkJob, WalkObserver& observer)
{
    const WalkStart start = walkStartOf(walkJob);
    SearchJob job;
    job.logPrefix = walkJob.logPrefix;
    job.params = walkJob.params;
    job.endAtLastingFailure = walkJob.endAtLastingFailure;
    SearchParams& params = job.params;
    params.nextPageAddress = start.address;
    params.pagesDone = start.pagesBefore;
    const std::string& prefix = job.logPrefix;
    auto limitReached = [&] { return params.pageLimit > 0 && params.pagesDone >= params.pageLimit; };

    observer.walkStarted(start);
    WalkEnd end{WalkEndReason::PageLimit, 0, {}, {}};
    const bool proxyUsable = announceProxy(state, observer, job);
    if (!proxyUsable)
        end.reason = requestedEnd(state, job);
    int failures = 0; // consecutive failures of the page in hand
    while (proxyUsable && !limitReached()) {
        job.place = 0;
        observer.pageStarted(params.pagesDone + 1);
        observer.logLine(prefix + "(" + std::to_string(params.pagesDone + 1) + "页)正在搜索...");
        const bool counted = analysePage(state, observer, job);
        if (job.ending == WalkEndReason::LastingFailure) {
            end.reason = *job.ending;
            break;
        }
        failures = counted ? 0 : failures + 1;
        if (!counted && params.retryLimit > 0 && failures >= params.retryLimit)
            pauseAfterFailures(state, observer, job, failures);
        // A page that failed is asked again unless a pause or stop is pending,
        // each time after a longer wait: a shop that refuses is not hammered.
        const bool retry = !counted && !waitInterval(state, 0);
        if (counted) {
            ++params.pagesDone;
            observer.pageDone(params.pagesDone);
            observer.logLine(prefix + "已搜索" + std::to_string(params.pagesDone) + "页");
            if (limitReached()) {
                end.reason = job.ending.value_or(WalkEndReason::PageLimit);
                break;
            }
            if (params.nextPageAddress.empty()) {
                observer.logLine(prefix + "搜索完毕");
                end.reason = job.ending.value_or(WalkEndReason::Finished);
                break;
            }
        }
        const int wait = retry ? retryWait(params.pageInterval, failures) : params.pageInterval;
        if (wait > 0)
            observer.logLine(prefix + std::to_string(wait) + "毫秒后继续...");
        // Made also for interval 0: a stop or pause is seen after every page.
        if (waitInterval(state, wait)) {
            end.reason = requestedEnd(state, job);
            break;
        }
    }

    state.position.install(params);
    end.pagesDone = params.pagesDone;
    end.nextAddress = params.nextPageAddress;
    end.failure = job.lastingFailure;
    // The front end may release everything on this call: touch nothing after it.
    observer.walkEnded(end);
    return end;
}

void searchThreadMain(AppState& state, const WalkJob& job, FeedbackSink& sink)
{
    FeedbackWalkObserver observer(state.log, sink);
    runWalk(state, job, observer);
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
    if (state.position.canResume()) {
        start.accepted = true;
        start.resume = true;
        start.job.params = state.position.copy();
        return start;
    }
    auto refuse = [&](InputField field, const char* message) {
        start.job = {};
        start.field = field;
        start.message = message;
        return start;
    };
    SearchParams& params = start.job.params;
    params.goodsAddress = trimWhiteSpace(typed.address);
    if (params.goodsAddress.empty())
        return refuse(InputField::Address, "请输入可用商品地址");
    // Only web pages are ever requested: a local file or a typo never reaches libcurl.
    if (!isWebAddress(params.goodsAddress))
        return refuse(InputField::Address, "请输入正确的可用商品地址(http或https)");
    params.pageInterval = readWholeNumber(typed.interval);
    if (params.pageInterval < 0)
        return refuse(InputField::Interval, "翻页间隔不能为负数");
    params.pageLimit = readWholeNumber(typed.pageLimit);
    if (params.pageLimit < 0)
        return refuse(InputField::PageLimit, "搜索页数不能为负数");
    params.extraHeaders = typed.extraHeaders;
    params.cookie = typed.cookie;
    params.retryLimit = std::max(0, readWholeNumber(typed.retryLimit));
    start.accepted = true;
    return start;
}

bool startSearchThread(AppState& state, WalkJob job, FeedbackSink& sink)
{
    return state.workers.start(Worker::Search,
                               [&state, &sink, job = std::move(job)] { searchThreadMain(state, job, sink); });
}

} // namespace zorvane
