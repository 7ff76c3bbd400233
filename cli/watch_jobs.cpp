// The watch's files: the job file with the walk's options (cookie and headers
// included, so readable by the user alone) and the user's systemd units that
// run it.
#include "cli/watch_jobs.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/text.h"
#include "cli/exit_status.h"
#include "cli/history_command.h"
#include "cli/translation.h"
#include "history/coupon_key.h"
#include "history/history_store.h"
#include "watch/watch_job_file.h"

extern char** environ;

namespace zorvane::cli {

namespace {

namespace fs = std::filesystem;

// Keys are made by watchKey: hex digits only, so none leads out of a folder.
bool isWatchKey(const std::string& key)
{
    return !key.empty() && key.size() <= 16 && std::all_of(key.begin(), key.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c));
    });
}

std::string unitName(const std::string& key, const char* type)
{
    return "zorvane-watch-" + key + "." + type;
}

// The options that name files: a timer's job runs in another folder.
bool takesPath(const std::string& name)
{
    return name == "-o" || name == "--output" || name == "--csv" || name == "--config" ||
           name == "--cacert" || name == "--ca-file" || name == "--db" || name == "--cookies";
}

std::vector<std::string> withAbsolutePaths(std::vector<std::string> args)
{
    auto absolute = [](const std::string& name, const std::string& path) {
        std::error_code ec;
        const bool kept = path == "-" || path.empty() || (name == "--cookies" && path == "firefox");
        return kept ? path : fs::absolute(path, ec).string();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::size_t eq = args[i].find('=');
        const std::string name = args[i].substr(0, eq);
        if (eq != std::string::npos && startsWith(args[i], "--") && takesPath(name))
            args[i] = name + "=" + absolute(name, args[i].substr(eq + 1));
        else if (takesPath(args[i]) && i + 1 < args.size())
            args[i + 1] = absolute(args[i], args[i + 1]), ++i;
        else if (startsWith(args[i], "-o") && args[i].size() > 2 && !startsWith(args[i], "--"))
            args[i] = "-o" + absolute("-o", args[i].substr(2));
    }
    return args;
}

// The job as the timer runs it: from another folder, so with absolute paths,
// and from the coupon's first page, whatever page the address was of.
WatchJob jobOf(const WatchOptions& options)
{
    WatchJob job{couponKey(options.search.address), options.every, withAbsolutePaths(options.searchArgs)};
    // The address is the walk's one operand; an option's value comes before it.
    const auto operand = std::find(job.args.rbegin(), job.args.rend(), options.search.address);
    if (operand != job.args.rend())
        *operand = job.address;
    job.args.insert(job.args.end(), options.ruleArgs.begin(), options.ruleArgs.end());
    return job;
}

// The option an argument belongs to, never its value: that may be the cookie.
std::string optionOf(const std::vector<std::string>& args, std::size_t i)
{
    if (startsWith(args[i], "--"))
        return args[i].substr(0, args[i].find('='));
    if (startsWith(args[i], "-") && args[i].size() > 1)
        return args[i].substr(0, 2);
    if (i > 0 && startsWith(args[i - 1], "-") && args[i - 1].size() > 1)
        return args[i - 1];
    return "ADDRESS";
}

// Why the job cannot be stored, told as a usage error; "" when it can.
std::string unstorable(const WatchJob& job)
{
    const JobProblem problem = checkWatchJob(job);
    if (problem.fault == JobFault::NestedJob)
        return _("a watch cannot store --job among its options");
    if (problem.fault != JobFault::NotUtf8)
        return "";
    return fillIn(_("%s: the value is not UTF-8 text, which a watch cannot store"),
                  problem.inArgs ? optionOf(job.args, problem.index) : problem.field);
}

// Writes a unit: systemd reads it, and it holds no secret.
Result<void> writeUnit(const std::string& path, const std::string& text)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0 && ::fchmod(fd, 0644) == 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    if (fd >= 0 && ::close(fd) != 0)
        ok = false;
    if (!ok)
        return Failure{fillIn(_("cannot write %s: "), path) + std::strerror(errno)};
    return {};
}

// Runs "systemctl --user ARGS..." and returns its exit status (-1 when it
// could not run). Its output goes to err, or nowhere when quiet.
int systemctl(const std::vector<std::string>& args, bool quiet)
{
    std::vector<std::string> words = {"systemctl", "--user"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (quiet)
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "systemctl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The user's service manager answers when it can reload its units.
bool userManagerAnswers()
{
    return systemctl({"daemon-reload"}, true) == 0;
}

// The start of the coupon's last walk, "" when it has none or the file
// cannot be read now; only a file that is no history file is an error.
Result<std::string> lastWalkTime(const std::string& dbPath, const std::string& address)
{
    std::error_code ec;
    if (!fs::exists(dbPath, ec))
        return std::string();
    HistoryStore store;
    if (const SqlStatus opened = store.openForReading(dbPath); opened.notDatabase())
        return Failure{fillIn(_("%s is not a history file"), dbPath)};
    else if (!opened.ok())
        return std::string();
    const std::optional<WalkSummary> walk = store.lastWalk(couponKey(trimWhiteSpace(address)));
    return walk ? formatLocalTime(walk->startedMs) : "";
}

} // namespace

std::string watchJobPath(const std::string& key)
{
    return watchJobDirectory() + "/" + key + ".json";
}

std::string jobProblemText(const std::string& path, const JobProblem& problem)
{
    const std::string field =
        problem.inArgs ? problem.field + "[" + std::to_string(problem.index) + "]" : problem.field;
    const std::string unusable = fillIn(_("cannot use the job file %s: "), path);
    switch (problem.fault) {
    case JobFault::None:
        return "";
    case JobFault::Missing:
        return fillIn(_("no such file: %s"), path);
    case JobFault::Unreadable:
        return fillIn(_("cannot read %s: "), path) + std::strerror(problem.errorNumber);
    case JobFault::Unwritable:
        return fillIn(_("cannot write %s: "), path) + std::strerror(problem.errorNumber);
    case JobFault::SymbolicLink:
        return unusable + _("it is a symbolic link, which is not followed");
    case JobFault::NotAFile:
        return unusable + _("it is not a regular file");
    case JobFault::TooLarge:
        return unusable + _("it is larger than 64 KiB");
    case JobFault::NotJson:
        return unusable + _("it is not JSON text in UTF-8");
    case JobFault::NotAnObject:
        return unusable + _("it is not a JSON object");
    case JobFault::WrongType:
        return unusable + fillIn(_("%s is missing or of another type (address and every are texts, args a "
                                   "list of texts)"),
                                 field);
    case JobFault::NestedJob:
        return unusable + fillIn(_("%s names a job (--job), which a job may not"), field);
    case JobFault::NotUtf8:
        return unusable + fillIn(_("%s is not UTF-8 text"), field);
    }
    return unusable;
}

Result<WatchJob> readWatchJob(const std::string& key, std::FILE* err)
{
    if (!isWatchKey(key))
        return Failure{fillIn(_("no watch %s: "), key) + watchJobDirectory()};
    const std::string path = watchJobPath(key);
    const JobRead read = readWatchJobFile(path);
    // Said once: the file is 0600 from now on.
    if (read.tightened)
        std::fprintf(err,
                     _("zorvane-cli: %s could be read by other users; it is now readable by you alone\n"),
                     path.c_str());
    if (read.problem.fault == JobFault::Missing)
        return Failure{fillIn(_("no watch %s: "), key) + path};
    if (!read.ok())
        return Failure{jobProblemText(path, read.problem)};
    if (const Result<void> span = checkTimeSpan(read.job.every); !span.ok())
        return Failure{fillIn(_("cannot use the job file %s: "), path) + span.error()};
    return read.job;
}

int addWatch(const WatchOptions& options, std::FILE* out, std::FILE* err)
{
    const WatchJob job = jobOf(options);
    const std::string& address = job.address;
    const std::string key = watchKey(address);
    const std::string path = watchJobPath(key);
    if (const std::string refused = unstorable(job); !refused.empty()) {
        std::fprintf(err, "zorvane-cli: %s\n", refused.c_str());
        return kExitUsage;
    }
    struct stat info
    {
    };
    if (!options.replace && ::lstat(path.c_str(), &info) == 0) {
        const Result<WatchJob> existing = readWatchJob(key, err);
        const std::string watch = existing.ok()
                                      ? key + " (" + existing->every + ", " + existing->address + ")"
                                      : key + " (" + path + ")";
        std::fprintf(
            err, "zorvane-cli: %s\n",
            fillIn(_("the coupon is already watched as %s; watch add --replace replaces that watch"), watch)
                .c_str());
        return kExitUsage;
    }
    char program[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    Result<void> written =
        length > 0 ? checkUnitProgram(program) : Failure{_("cannot find the program's own path")};
    std::error_code ec;
    if (written.ok()) {
        fs::create_directories(watchJobDirectory(), ec);
        fs::create_directories(userUnitDirectory(), ec);
        const JobProblem problem = writeWatchJobFile(path, job);
        if (problem.fault != JobFault::None)
            written = Failure{jobProblemText(path, problem)};
    }
    if (written.ok())
        written =
            writeUnit(userUnitDirectory() + "/" + unitName(key, "service"), watchServiceUnit(key, program));
    if (written.ok())
        written =
            writeUnit(userUnitDirectory() + "/" + unitName(key, "timer"), watchTimerUnit(key, options.every));
    if (!written.ok()) {
        std::fprintf(err, "zorvane-cli: %s\n", written.error().c_str());
        return kExitWriteFailed;
    }
    std::fprintf(err, _("zorvane-cli: watch %s: %s every %s\n"), key.c_str(), address.c_str(),
                 options.every.c_str());
    if (userManagerAnswers())
        return systemctl({"enable", "--now", unitName(key, "timer")}, false) == 0 ? kExitOk
                                                                                  : kExitWriteFailed;
    std::fputs(
        _("zorvane-cli: no user service manager answered; to start the watch, run this in your session:\n"),
        err);
    std::fprintf(out, "systemctl --user enable --now %s\n", unitName(key, "timer").c_str());
    return std::fflush(out) == 0 ? kExitOk : kExitWriteFailed;
}

int listWatches(const WatchOptions& options, std::FILE* out, std::FILE* err)
{
    std::vector<std::string> keys;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(watchJobDirectory(), ec))
        if (entry.path().extension() == ".json")
            keys.push_back(entry.path().stem().string());
    std::sort(keys.begin(), keys.end());
    int status = kExitOk;
    for (const std::string& key : keys) {
        const Result<WatchJob> job = readWatchJob(key, err);
        if (!job.ok()) {
            std::fprintf(err, "zorvane-cli: %s\n", job.error().c_str());
            continue;
        }
        std::vector<std::string> runArgs = {"watch", "run"};
        runArgs.insert(runArgs.end(), job->args.begin(), job->args.end());
        const Result<WatchOptions> run = parseWatchCommand(runArgs);
        if (!run.ok()) {
            std::fprintf(err, "zorvane-cli: %s%s\n",
                         fillIn(_("cannot use the job file %s: "), watchJobPath(key)).c_str(),
                         run.error().c_str());
            continue;
        }
        const std::string db = !options.dbPath.empty()          ? options.dbPath
                               : !run->search.historyDb.empty() ? run->search.historyDb
                                                                : defaultHistoryPath();
        const Result<std::string> lastTime = lastWalkTime(db, job->address);
        if (!lastTime.ok()) {
            std::fprintf(err, "zorvane-cli: %s\n", lastTime.error().c_str());
            status = kExitWriteFailed;
        }
        const std::string last = lastTime.ok() ? *lastTime : "";
        if (options.json) {
            const nlohmann::json line = {
                {"key", key}, {"every", job->every}, {"address", job->address}, {"lastWalk", last}};
            std::fprintf(out, "%s\n",
                         line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        } else {
            std::fprintf(out, "%s\t%s\t%s\t%s\n", key.c_str(), job->every.c_str(), job->address.c_str(),
                         last.c_str());
        }
    }
    return std::fflush(out) == 0 ? status : kExitWriteFailed;
}

int removeWatch(const std::string& key, std::FILE* /*out*/, std::FILE* err)
{
    const std::string timer = userUnitDirectory() + "/" + unitName(key, "timer");
    std::error_code ec;
    if (!isWatchKey(key) || (fs::symlink_status(watchJobPath(key), ec).type() == fs::file_type::not_found &&
                             !fs::exists(timer, ec))) {
        std::fprintf(err, _("zorvane-cli: no watch %s\n"), key.c_str());
        return kExitUsage;
    }
    const bool manager = userManagerAnswers();
    if (manager)
        systemctl({"disable", "--now", unitName(key, "timer")}, true);
    bool removed = true;
    for (const std::string& path :
         {timer, userUnitDirectory() + "/" + unitName(key, "service"), watchJobPath(key)})
        if (!fs::remove(path, ec) && ec) {
            std::fprintf(err, _("zorvane-cli: cannot remove %s: %s\n"), path.c_str(), ec.message().c_str());
            removed = false;
        }
    if (manager)
        systemctl({"daemon-reload"}, true);
    return removed ? kExitOk : kExitWriteFailed;
}

} // namespace zorvane::cli
