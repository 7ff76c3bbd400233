#include "cli/search_command.h"

#include <atomic>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <unistd.h>

#include "cli/console_sink.h"
#include "cli/cookie_import.h"
#include "cli/exit_status.h"
#include "cli/goods_output.h"
#include "cli/history_command.h"
#include "cli/interrupt_watch.h"
#include "cli/search_inputs.h"
#include "cli/translation.h"
#include "core/app_state.h"
#include "core/log.h"
#include "goods/csv_export.h"
#include "goods/filter.h"
#include "goods/goods_formats.h"
#include "goods/sort.h"
#include "history/history_recorder.h"
#include "history/walk_recorder.h"
#include "search/search_thread.h"
#include "web/http_request.h"

namespace zorvane::cli {

namespace {

// Runs the window's log pump for as long as it lives, then hands over what is
// still pending.
class LogPumpThread final
{
public:
    LogPumpThread(AppState& state, FeedbackSink& sink)
        : m_state(state), m_sink(sink), m_thread([this] { logPump(m_state, m_sink, m_quit); })
    {
    }
    ~LogPumpThread()
    {
        m_quit.set();
        m_thread.join();
        if (auto text = makePayloadText(takeLogBuffer(m_state)))
            m_sink.send(Feedback{kFeedbackLog, 0, std::move(text)});
    }
    LogPumpThread(const LogPumpThread&) = delete;
    LogPumpThread& operator=(const LogPumpThread&) = delete;

private:
    AppState& m_state;
    FeedbackSink& m_sink;
    ManualResetEvent m_quit;
    std::thread m_thread;
};

// Why a start was refused: the exit status and its one-line reason.
struct Refusal
{
    int status = kExitOk;
    std::string reason;
};

// The start of the walk, as the window's start: the start's input check,
// then (here) the output file, then the walk's thread, which the console
// observes and which leaves its end in end.
bool startWalk(AppState& state, WalkObserver& observer, const SearchOptions& options,
               const std::string& cookie, Refusal& refusal, WalkEnd& end)
{
    const SearchInput typed{options.address, options.interval,
                            options.pages,   joinHeaderLines(options.headers),
                            cookie,          options.retries};
    SearchStart start = prepareSearchStart(state, typed);
    // Unattended (a timer's service), asking again could go on for ever.
    start.job.endAtLastingFailure = true;
    if (!start.accepted) {
        refusal = {kExitUsage, startRefusal(start, options)};
        return false;
    }
    if (options.csvPath) {
        if (std::string problem = outputProblem(*options.csvPath); !problem.empty()) {
            refusal = {kExitWriteFailed, fillIn(_("cannot write %s: "), *options.csvPath) + problem};
            return false;
        }
    }
    if (!state.workers.start(Worker::Search, [&state, &observer, &end, job = std::move(start.job)] {
            end = runWalk(state, job, observer);
        })) {
        appendLog(state, "启动搜索线程失败");
        refusal = {kExitWriteFailed, _("cannot start the search thread")};
        return false;
    }
    return true;
}

// The history's recorder of a search, or none under --no-history. The file
// is opened (and made) before the start is checked; a refused start leaves
// no walk in it.
std::unique_ptr<HistoryRecorder> makeHistoryRecorder(AppState& state, const SearchOptions& options)
{
    if (options.noHistory)
        return nullptr;
    const std::string path = options.historyDb.empty() ? defaultHistoryPath() : options.historyDb;
    return std::make_unique<HistoryRecorder>(
        path, [&state](const std::string& notice) { appendLog(state, notice); });
}

// The sort and the filter the window's price column and 筛选 button run.
void arrangeGoods(AppState& state, FeedbackSink& sink, const SearchOptions& options)
{
    if (options.sortAscending) {
        runSort(state, sink, *options.sortAscending);
    }
    if (options.minPrice || options.maxPrice || !options.tags.empty())
        runFilter(
            state, sink,
            makeFilterCriteria(options.tags, options.minPrice.value_or(""), options.maxPrice.value_or("")));
}

// What became of the output.
struct Output
{
    std::string failure;     // why it could not be written, "" when it was
    bool pipeClosed = false; // the standard output's reader went away (head, a closed pager)
    std::int64_t walkId = 0; // the walk recorded in the history, 0 when none was
};

// The shown goods in the chosen format, a file logged as the export logs it.
Output writeOutput(AppState& state, const GoodsOutput& output)
{
    const Result<std::string> made =
        outputBytes(state.goods.snapshot(), output,
                    [&state](std::string_view goodsId) { return state.goodsAddress.addressOf(goodsId); });
    if (!made.ok())
        return {_("cannot write ") + output.path + ": " + made.error()};
    const std::string& bytes = *made;
    if (output.path == "-") {
        errno = 0;
        if (writeAll(stdout, bytes))
            return {};
        if (errno == EPIPE)
            return {"", true};
        return {_("cannot write the standard output")};
    }
    const FileWriteResult result = replaceFileContents(output.path, bytes);
    appendLog(state, exportOutcomeMessage(output.path, result.status));
    appendLog(state, "导出完毕");
    return {result.ok() ? "" : fillIn(_("cannot write %s: "), output.path) + result.error};
}

// From the started walk to the written goods, with the log pump running: the
// walk's end is answered here, as the window answers it on its own thread,
// then the sort, the filter and the output run over whatever was gathered.
Output finishWalk(AppState& state, ConsoleSink& sink, const SearchOptions& options, const GoodsOutput& output,
                  std::unique_ptr<HistoryRecorder> history, const WalkEnd& end)
{
    LogPumpThread pump(state, sink);
    state.workers.join(Worker::Search);
    state.walk.ended(end.reason);
    arrangeGoods(state, sink, options);
    // The walk's end waited for its last commit: the walk is in the file.
    const std::int64_t walkId = history ? history->committedWalkId() : 0;
    // The history's last lines still go out through the pump.
    history.reset();
    Output written;
    if (options.csvPath || options.goodsWithoutFile)
        written = writeOutput(state, output);
    written.walkId = walkId;
    return written;
}

// The status of a walk that ended by itself: the shop's two refusals and a
// failure that asking again cannot mend have their own, with a word on
// standard error even under --quiet, where the log's line does not go.
int endStatus(const WalkEnd& end, std::FILE* err)
{
    const WalkEndReason reason = end.reason;
    if (reason == WalkEndReason::LastingFailure) {
        std::fprintf(err, _("zorvane-cli: ended, asking again cannot mend this: %s\n"), end.failure.c_str());
        return kExitLastingFailure;
    }
    if (reason == WalkEndReason::LoginPage) {
        std::fputs(_("zorvane-cli: the shop asks for a login; give its cookie with --cookie\n"), err);
        return kExitLoginPage;
    }
    if (reason == WalkEndReason::CouponExpired) {
        std::fputs(_("zorvane-cli: the coupon has expired\n"), err);
        return kExitCouponExpired;
    }
    return kExitOk;
}

} // namespace

int runSearch(const SearchOptions& options, std::FILE* err)
{
    return runRecordedSearch(options, err).status;
}

SearchOutcome runRecordedSearch(const SearchOptions& options, std::FILE* err)
{
    // The watch comes first: every thread started after it leaves SIGINT to
    // it, and a signal during the cookie import (a private copy of the
    // browser's cookies is on disk for a moment) lets the import clean up.
    std::optional<AppState> walkState; // outlives the watch, which may reach it
    std::atomic<AppState*> walking{nullptr};
    InterruptWatch watch([&walking] {
        if (AppState* stopped = walking.load())
            stopped->walk.stop();
    });
    const Result<GoodsOutput> output =
        resolveOutput(options.csvPath, options.output, isatty(STDOUT_FILENO) != 0);
    Result<Config> config = output.ok() ? searchConfig(options) : Failure{output.error()};
    const Result<ImportedCookie> cookie = config.ok() ? importSearchCookie(options) : Failure{config.error()};
    if (watch.interrupted())
        return {128 + watch.signal()};
    if (!cookie.ok()) {
        std::fprintf(err, "zorvane-cli: %s\n", cookie.error().c_str());
        return {kExitUsage};
    }
    AppState& state = walkState.emplace(std::move(config).value());
    walking.store(&state);
    if (const Result<void> locks = state.createLocks(); !locks.ok()) {
        std::fprintf(err, "zorvane-cli: %s\n", locks.error().c_str());
        return {kExitWriteFailed};
    }
    httpGlobalInit();
    if (!cookie->logLine.empty())
        appendLog(state, cookie->logLine);
    if (!cookie->warning.empty())
        std::fprintf(err, "zorvane-cli: %s\n", cookie->warning.c_str());
    // Quiet, the log goes nowhere; failures still reach err below.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> nowhere(
        options.output.quiet ? std::fopen("/dev/null", "w") : nullptr, &std::fclose);
    ConsoleSink sink(state, nowhere ? nowhere.get() : err, !nowhere && isatty(fileno(err)) != 0);
    // The history's recorder sees the walk's events on their way to the console.
    std::unique_ptr<HistoryRecorder> history = makeHistoryRecorder(state, options);
    std::optional<WalkRecorder> recorded;
    if (history)
        recorded.emplace(*history, sink);
    WalkObserver& observer = recorded ? static_cast<WalkObserver&>(*recorded) : sink;
    Refusal refusal;
    WalkEnd end;
    state.walk.startPause([&] { return startWalk(state, observer, options, cookie->cookie, refusal, end); });
    if (refusal.status != kExitOk) {
        std::fprintf(err, "zorvane-cli: %s\n", refusal.reason.c_str());
        return {refusal.status};
    }
    const Output written = finishWalk(state, sink, options, *output, std::move(history), end);
    sink.finish();
    // Whoever closed the pipe has what they wanted: no error, no note.
    if (written.pipeClosed)
        return {kExitPipeClosed, written.walkId};
    const bool interrupted = watch.interrupted();
    const bool paused = end.reason == WalkEndReason::PausedItself || end.reason == WalkEndReason::Paused;
    if (paused && !interrupted)
        std::fprintf(err,
                     _n("zorvane-cli: paused after %d page; go on from: %s\n",
                        "zorvane-cli: paused after %d pages; go on from: %s\n", end.pagesDone),
                     end.pagesDone, end.nextAddress.c_str());
    if (!written.failure.empty()) {
        std::fprintf(err, "zorvane-cli: %s\n", written.failure.c_str());
        return {kExitWriteFailed, written.walkId};
    }
    if (interrupted)
        return {128 + watch.signal(), written.walkId}; // kExitInterrupted, kExitTerminated or kExitHangUp
    return {paused ? kExitPaused : endStatus(end, err), written.walkId};
}

} // namespace zorvane::cli
