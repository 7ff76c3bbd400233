// The watch's files: the job file with the walk's options (cookie and headers
// included, so readable by the user alone) and the user's systemd units that
// run it.
#include "cli/watch_jobs.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
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

std::string jobPath(const std::string& key)
{
    return watchJobDirectory() + "/" + key + ".json";
}

std::string unitName(const std::string& key, const char* type)
{
    return "zorvane-watch-" + key + "." + type;
}

// The options that name files: a timer's job runs in another folder.
bool takesPath(const std::string& name)
{
    return name == "-o" || name == "--output" || name == "--config" || name == "--cacert" ||
           name == "--ca-file" || name == "--db";
}

std::vector<std::string> withAbsolutePaths(std::vector<std::string> args)
{
    auto absolute = [](const std::string& path) {
        std::error_code ec;
        return path == "-" || path.empty() ? path : fs::absolute(path, ec).string();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::size_t eq = args[i].find('=');
        if (eq != std::string::npos && startsWith(args[i], "--") && takesPath(args[i].substr(0, eq)))
            args[i] = args[i].substr(0, eq + 1) + absolute(args[i].substr(eq + 1));
        else if (takesPath(args[i]) && i + 1 < args.size())
            args[i + 1] = absolute(args[i + 1]), ++i;
        else if (startsWith(args[i], "-o") && args[i].size() > 2 && !startsWith(args[i], "--"))
            args[i] = "-o" + absolute(args[i].substr(2));
    }
    return args;
}

// Writes text to path, readable by the user alone when secret.
Result<void> writeFile(const std::string& path, const std::string& text, bool secret)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, secret ? 0600 : 0644);
    bool ok = fd >= 0 && ::fchmod(fd, secret ? 0600 : 0644) == 0;
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

Result<WatchJob> readWatchJob(const std::string& key)
{
    if (!isWatchKey(key))
        return Failure{fillIn(_("no watch %s: "), key) + watchJobDirectory()};
    std::ifstream file(jobPath(key), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const nlohmann::json job = nlohmann::json::parse(text.str(), nullptr, false);
    if (!file || !job.is_object() || !job.value("args", nlohmann::json()).is_array())
        return Failure{fillIn(_("no watch %s: "), key) + jobPath(key)};
    return WatchJob{key, job.value("every", ""), job.value("address", ""),
                    job["args"].get<std::vector<std::string>>()};
}

int addWatch(const WatchOptions& options, std::FILE* out, std::FILE* err)
{
    const std::string address = trimWhiteSpace(options.search.address);
    const std::string key = watchKey(address);
    std::vector<std::string> args = withAbsolutePaths(options.searchArgs);
    args.insert(args.end(), options.ruleArgs.begin(), options.ruleArgs.end());
    const nlohmann::json job = {{"address", address}, {"every", options.every}, {"args", args}};
    std::error_code ec;
    fs::create_directories(watchJobDirectory(), ec);
    fs::create_directories(userUnitDirectory(), ec);
    char program[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    Result<void> written = length > 0 ? writeFile(jobPath(key), job.dump(2) + "\n", true)
                                      : Failure{_("cannot find the program's own path")};
    if (written.ok())
        written = writeFile(userUnitDirectory() + "/" + unitName(key, "service"),
                            watchServiceUnit(key, program), false);
    if (written.ok())
        written = writeFile(userUnitDirectory() + "/" + unitName(key, "timer"),
                            watchTimerUnit(key, options.every), false);
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
        const Result<WatchOptions> run = parseWatchCommand({"watch", "run", "--job", key});
        const Result<WatchJob> job = readWatchJob(key);
        if (!run.ok() || !job.ok()) {
            std::fprintf(err, "zorvane-cli: %s\n", (run.ok() ? job.error() : run.error()).c_str());
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
    if (!isWatchKey(key) || (!fs::exists(jobPath(key), ec) && !fs::exists(timer, ec))) {
        std::fprintf(err, _("zorvane-cli: no watch %s\n"), key.c_str());
        return kExitUsage;
    }
    const bool manager = userManagerAnswers();
    if (manager)
        systemctl({"disable", "--now", unitName(key, "timer")}, true);
    bool removed = true;
    for (const std::string& path :
         {timer, userUnitDirectory() + "/" + unitName(key, "service"), jobPath(key)})
        if (!fs::remove(path, ec) && ec) {
            std::fprintf(err, _("zorvane-cli: cannot remove %s: %s\n"), path.c_str(), ec.message().c_str());
            removed = false;
        }
    if (manager)
        systemctl({"daemon-reload"}, true);
    return removed ? kExitOk : kExitWriteFailed;
}

} // namespace zorvane::cli
