#include "cli/search_command.h"

#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include <unistd.h>

#include "cli/console_sink.h"
#include "cli/exit_status.h"
#include "cli/goods_output.h"
#include "cli/history_hook.h"
#include "cli/interrupt_watch.h"
#include "cli/search_inputs.h"
#include "core/app_state.h"
#include "core/log.h"
#include "core/run_control.h"
#include "goods/csv_export.h"
#include "goods/filter.h"
#include "goods/goods_formats.h"
#include "goods/sort.h"
#include "search/search_thread.h"
#include "web/http_request.h"

namespace zorvane::cli {

namespace {

// A terminal has no controls for the run control to lock or caption.
class NoControls final : public ControlPanel
{
public:
    std::vector<std::string> controlNames() const override { return {}; }
    void setEnabled(std::string_view, bool) override {}
    void setCaption(std::string_view, std::string_view) override {}
};

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

// The start callback of the run control, as the window's startSearch: the
// start's input check, then (here) the output file, then the search thread.
// The thread is kept in walker, not in state.searchThread: the end handling
// releases that one without joining, and this side must join before the sink
// goes away.
bool startWalk(AppState& state, FeedbackSink& sink, const SearchOptions& options, Refusal& refusal,
               std::thread& walker)
{
    const SearchInput typed{options.address, options.interval, options.pages,
                            joinHeaderLines(options.headers), options.cookie};
    const SearchStart start = prepareSearchStart(state, typed);
    if (!start.accepted) {
        refusal = {kExitUsage, optionOfControl(start.control) + start.message};
        return false;
    }
    if (options.csvPath) {
        if (std::string problem = outputProblem(*options.csvPath); !problem.empty()) {
            refusal = {kExitWriteFailed, "cannot write " + *options.csvPath + ": " + problem};
            return false;
        }
    }
    try {
        walker = std::thread([&state, &sink] { searchThreadMain(state, sink); });
    } catch (const std::system_error&) {
        appendLog(state, "启动搜索线程失败");
        refusal = {kExitWriteFailed, "cannot start the search thread"};
        return false;
    }
    return true;
}

// The sort and the filter the window's price column and 筛选 button run.
void arrangeGoods(AppState& state, FeedbackSink& sink, const SearchOptions& options)
{
    if (options.sortAscending) {
        state.sortAscending = *options.sortAscending ? 1 : 0;
        runSort(state, sink);
    }
    if (options.minPrice || options.maxPrice || !options.tags.empty()) {
        FilterCriteria criteria =
            makeFilterCriteria(options.tags, options.minPrice.value_or(""), options.maxPrice.value_or(""));
        {
            std::lock_guard guard(*state.goodsLock);
            state.filterCriteria = std::move(criteria);
        }
        runFilter(state, sink);
    }
}

// The shown goods in the chosen format, a file logged as the export logs it.
// Gives why they could not be written, or "" when they were.
std::string writeOutput(AppState& state, const GoodsOutput& output)
{
    GoodsList goods;
    {
        std::lock_guard guard(*state.goodsLock);
        goods = state.goodsStore;
    }
    const std::string bytes = formatGoods(goods, output.format, output.encoding);
    if (output.path == "-")
        return writeAll(stdout, bytes) ? "" : "cannot write the standard output";
    const FileWriteResult result = replaceFileContents(output.path, bytes);
    appendLog(state, exportOutcomeMessage(output.path, result.status));
    appendLog(state, "导出完毕");
    return result.ok() ? "" : "cannot write " + output.path + ": " + result.error;
}

struct Outcome
{
    bool paused = false;
    std::string writeFailure; // "" = written, or nothing to write
};

// From the started walk to the written goods, with the log pump running: the
// walk's end is handled here as the window handles it, then the sort, the
// filter and the output run over whatever was gathered.
Outcome finishWalk(AppState& state, ConsoleSink& sink, ControlPanel& panel, const SearchOptions& options,
                   const GoodsOutput& output, std::thread& walker)
{
    LogPumpThread pump(state, sink);
    Outcome outcome;
    sink.handleSearchEnd([&] { searchEnded(state, panel); });
    walker.join();
    outcome.paused = state.stopRequested.load() == 0;
    arrangeGoods(state, sink, options);
    outcome.writeFailure = writeOutput(state, output);
    return outcome;
}

} // namespace

int runSearch(const SearchOptions& options, std::FILE* err)
{
    std::string error;
    const std::optional<GoodsOutput> output =
        resolveOutput(options.csvPath, options.output, isatty(STDOUT_FILENO) != 0, error);
    std::optional<Config> config = output ? searchConfig(options, error) : std::nullopt;
    if (!config) {
        std::fprintf(err, "zorvane-cli: %s\n", error.c_str());
        return kExitUsage;
    }
    AppState state(std::move(*config));
    if (!state.createLocks(&error)) {
        std::fprintf(err, "zorvane-cli: %s\n", error.c_str());
        return kExitWriteFailed;
    }
    httpGlobalInit();
    // Quiet, the log goes nowhere; failures still reach err below.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> nowhere(
        options.output.quiet ? std::fopen("/dev/null", "w") : nullptr, &std::fclose);
    ConsoleSink sink(state, nowhere ? nowhere.get() : err, !nowhere && isatty(fileno(err)) != 0);
    NoControls panel;
    // The watch comes first: every thread started after it leaves SIGINT to it.
    InterruptWatch watch([&state, &panel] { stopCommand(state, panel); });
    // The history hook sees the walk's messages on their way to the console.
    const std::unique_ptr<HistoryHook> history = makeHistoryHook(state, sink, options);
    FeedbackSink& walkSink = history ? static_cast<FeedbackSink&>(*history) : sink;
    Refusal refusal;
    std::thread walker;
    startPause(state, panel, [&] { return startWalk(state, walkSink, options, refusal, walker); });
    if (refusal.status != kExitOk) {
        std::fprintf(err, "zorvane-cli: %s\n", refusal.reason.c_str());
        return refusal.status;
    }
    const Outcome outcome = finishWalk(state, sink, panel, options, *output, walker);
    if (history)
        history->endWalk(watch.interrupted(), outcome.paused);
    sink.finish();
    const bool interrupted = watch.interrupted();
    if (outcome.paused && !interrupted) {
        const SearchParams position = copySearchParams(state);
        std::fprintf(err, "zorvane-cli: paused after %d pages; go on from: %s\n", position.pagesDone,
                     position.nextPageAddress.c_str());
    }
    if (!outcome.writeFailure.empty()) {
        std::fprintf(err, "zorvane-cli: %s\n", outcome.writeFailure.c_str());
        return kExitWriteFailed;
    }
    if (interrupted)
        return kExitInterrupted;
    return outcome.paused ? kExitPaused : kExitOk;
}

} // namespace zorvane::cli
