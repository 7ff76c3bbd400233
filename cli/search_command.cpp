#include "cli/search_command.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "cli/console_sink.h"
#include "cli/exit_status.h"
#include "cli/interrupt_watch.h"
#include "core/app_state.h"
#include "core/log.h"
#include "goods/csv_export.h"
#include "goods/filter.h"
#include "goods/sort.h"
#include "search/search_thread.h"
#include "settings/config_file.h"
#include "web/http_request.h"

namespace zorvane::cli {

namespace {

namespace fs = std::filesystem;

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

std::optional<Config> configFor(const SearchOptions& options, std::string& error)
{
    Config config;
    if (options.configPath) {
        std::error_code ignored;
        // A missing file would quietly give the defaults; a typo must not.
        if (fs::is_directory(*options.configPath, ignored) || !std::ifstream(*options.configPath)) {
            error = "cannot read the settings file " + *options.configPath;
            return std::nullopt;
        }
        config = loadConfig(IniFile::load(*options.configPath));
    }
    if (options.searchHost)
        config.searchHost = *options.searchHost;
    if (options.insecure)
        config.ignoreCertErrors = true;
    if (!options.caFile.empty())
        config.caFile = options.caFile;
    return config;
}

// Why the CSV file surely cannot be written, or "" when it may be. Checked
// before the walk so that a typo does not cost the whole walk.
std::string outputProblem(const std::string& path)
{
    std::error_code ignored;
    const fs::path file(path);
    if (fs::is_directory(file, ignored))
        return std::strerror(EISDIR);
    // Devices are written in place; anything else is replaced through a new
    // file in the same directory.
    if (fs::exists(file, ignored) && !fs::is_regular_file(file, ignored))
        return access(path.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
    const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    if (!fs::is_directory(dir, ignored))
        return std::strerror(ENOENT);
    return access(dir.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
}

const char* optionOfControl(const std::string& control)
{
    if (control == "编辑框_参数_间隔")
        return "--interval: ";
    if (control == "编辑框_参数_页数")
        return "--pages: ";
    if (control == "编辑框_参数_地址")
        return "ADDRESS: ";
    return "";
}

enum class WalkEnd
{
    ended,
    paused,
    notStarted
};

// The window's start, from pressing 开始 to the handling of the walk's end.
WalkEnd walk(AppState& state, FeedbackSink& sink)
{
    if (!startSearchThread(state, sink)) {
        appendLog(state, "启动搜索线程失败");
        return WalkEnd::notStarted;
    }
    appendLog(state, "开始成功");
    state.searchThread.join();
    state.stopEvent.reset();
    const bool paused = state.stopRequested.load() == 0;
    state.searchRunning = 0;
    appendLog(state, paused ? "已暂停" : "已停止");
    return paused ? WalkEnd::paused : WalkEnd::ended;
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

// The shown goods in the export's format, logged as the export logs it.
// Gives why the file could not be written, or "" when it was.
std::string writeOutput(AppState& state, const std::string& path)
{
    GoodsList goods;
    {
        std::lock_guard guard(*state.goodsLock);
        goods = state.goodsStore;
    }
    if (path == "-") {
        writeCsv(std::cout, goods);
        std::cout.flush();
        return std::cout ? "" : "cannot write the standard output";
    }
    std::string error;
    FileWriteStatus status = FileWriteStatus::Ok;
    const bool written = exportCsvFile(path, goods, &error, &status);
    const std::string quotedPath = "\"" + path + "\"";
    if (status == FileWriteStatus::OpenFailed)
        appendLog(state, "导出失败，打开" + quotedPath + "失败");
    else if (status == FileWriteStatus::WriteFailed)
        appendLog(state, "导出失败，写入" + quotedPath + "失败");
    else
        appendLog(state, "已导出到" + quotedPath);
    appendLog(state, "导出完毕");
    return written ? "" : "cannot write " + path + ": " + error;
}

int refuseUsage(std::FILE* err, const std::string& reason)
{
    std::fprintf(err, "zorvane-cli: %s\n", reason.c_str());
    return kExitUsage;
}

// Everything before the walk: the locks, the start's own check of the input
// and the output file. kExitOk when the walk may begin.
int prepareStart(AppState& state, const SearchOptions& options, std::FILE* err)
{
    std::string error;
    if (!state.createLocks(&error)) {
        std::fprintf(err, "zorvane-cli: %s\n", error.c_str());
        return kExitWriteFailed;
    }
    // As the start button: the walk is marked running and a stop is the default reason.
    state.searchRunning.exchange(1);
    state.stopRequested = 1;
    const SearchInput typed{options.address, options.interval, options.pages,
                            joinHeaderLines(options.headers), options.cookie};
    const SearchStart start = prepareSearchStart(state, typed);
    if (!start.accepted)
        return refuseUsage(err, optionOfControl(start.control) + start.message);
    if (!options.csvPath)
        return kExitOk;
    if (std::string problem = outputProblem(*options.csvPath); !problem.empty()) {
        std::fprintf(err, "zorvane-cli: cannot write %s: %s\n", options.csvPath->c_str(), problem.c_str());
        return kExitWriteFailed;
    }
    return kExitOk;
}

struct Outcome
{
    WalkEnd end = WalkEnd::ended;
    std::string writeFailure; // "" = written, or nothing to write
};

// The walk with the log pump running, then the sort, the filter and the CSV
// over whatever was gathered.
Outcome walkAndWrite(AppState& state, FeedbackSink& sink, const SearchOptions& options)
{
    LogPumpThread pump(state, sink);
    Outcome outcome;
    outcome.end = walk(state, sink);
    arrangeGoods(state, sink, options);
    if (options.csvPath)
        outcome.writeFailure = writeOutput(state, *options.csvPath);
    return outcome;
}

} // namespace

int runSearch(const SearchOptions& options, std::FILE* err)
{
    std::string error;
    std::optional<Config> config = configFor(options, error);
    if (!config)
        return refuseUsage(err, error);
    AppState state(std::move(*config));
    if (const int status = prepareStart(state, options, err); status != kExitOk)
        return status;

    httpGlobalInit();
    ConsoleSink sink(state, err, isatty(fileno(err)) != 0);
    // The watch comes first: every thread started after it leaves SIGINT to it.
    InterruptWatch watch([&state] {
        appendLog(state, "正在停止。。。");
        state.stopRequested = 1;
        state.stopEvent.set();
    });
    const Outcome outcome = walkAndWrite(state, sink, options);
    sink.finish();
    const bool interrupted = watch.interrupted();
    if (outcome.end == WalkEnd::paused && !interrupted) {
        const SearchParams position = copySearchParams(state);
        std::fprintf(err, "zorvane-cli: paused after %d pages; go on from: %s\n", position.pagesDone,
                     position.nextPageAddress.c_str());
    }
    if (!outcome.writeFailure.empty())
        std::fprintf(err, "zorvane-cli: %s\n", outcome.writeFailure.c_str());
    if (!outcome.writeFailure.empty() || outcome.end == WalkEnd::notStarted)
        return kExitWriteFailed;
    if (interrupted)
        return kExitInterrupted;
    return outcome.end == WalkEnd::paused ? kExitPaused : kExitOk;
}

} // namespace zorvane::cli
