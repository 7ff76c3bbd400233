#include "cli/watch_command.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "cli/exit_status.h"
#include "cli/history_command.h"
#include "cli/search_command.h"
#include "cli/translation.h"
#include "cli/watch_jobs.h"
#include "cli/watch_lock.h"
#include "history/coupon_key.h"
#include "history/history_store.h"

namespace zorvane::cli {

namespace {

// Takes a watch option's value from "--name=value" or the next argument.
Result<std::string> optionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name)
{
    if (startsWith(args[i], name + "="))
        return args[i].substr(name.size() + 1);
    if (i + 1 < args.size())
        return args[++i];
    return Failure{fillIn(_("%s needs a value"), name)};
}

std::optional<std::int64_t> yuanToCents(const std::string& text)
{
    char* end = nullptr;
    const double yuan = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(yuan) || yuan < 0.01 || yuan > 1e9)
        return std::nullopt;
    return std::llround(yuan * 100.0);
}

// Sorts the arguments of run and add into the watch's own and the walk's.
Result<void> takeWalkArguments(const std::vector<std::string>& args, WatchOptions& options, std::string& job)
{
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string name = args[i].substr(0, args[i].find('='));
        if (args[i] == "--no-new") {
            options.rule.countNew = false;
            options.ruleArgs.push_back(args[i]);
        } else if (name == "--min-drop") {
            const Result<std::string> value = optionValue(args, i, name);
            if (!value.ok())
                return Failure{value.error()};
            const std::optional<std::int64_t> cents = yuanToCents(*value);
            if (!cents)
                return Failure{_("--min-drop takes an amount of at least 0.01 yuan: ") + *value};
            options.rule.minDropCents = *cents;
            options.ruleArgs.insert(options.ruleArgs.end(), {"--min-drop", *value});
        } else if (args[i] == "--replace" && options.action == "add") {
            options.replace = true;
        } else if ((name == "--every" && options.action == "add") ||
                   (name == "--job" && options.action == "run")) {
            const Result<std::string> value = optionValue(args, i, name);
            if (!value.ok())
                return Failure{value.error()};
            (name == "--every" ? options.every : job) = *value;
        } else {
            options.searchArgs.push_back(args[i]);
        }
    }
    return {};
}

std::string historyPathOf(const SearchOptions& search)
{
    return search.historyDb.empty() ? defaultHistoryPath() : search.historyDb;
}

// The changes of the walk this run recorded, one per goods item; none when
// no walk was recorded, or it is the coupon's first. Only its own walk counts:
// the coupon's latest may be another process's, begun while this one walked.
std::vector<SightingChange> recordedChanges(const std::string& path, std::int64_t walkId, std::FILE* err)
{
    HistoryStore store;
    if (walkId == 0 || !store.open(path).status.ok())
        return {};
    if (!store.walkWhole(walkId)) {
        std::fprintf(
            err, _("zorvane-cli: walk %lld is not in the history whole; nothing compared, no notice sent\n"),
            static_cast<long long>(walkId));
        return {};
    }
    const std::vector<WalkSummary> walks = store.listWalks().rows;
    const auto own =
        std::find_if(walks.begin(), walks.end(), [&](const WalkSummary& w) { return w.id == walkId; });
    if (own == walks.end())
        return {};
    const bool earlier = std::any_of(walks.begin(), walks.end(), [&](const WalkSummary& w) {
        return w.couponKey == own->couponKey && w.id < walkId && w.whole;
    });
    return earlier ? changesPerGoodsItem(store.changes(walkId, own->couponKey).rows)
                   : std::vector<SightingChange>();
}

// How the notice names the coupon: by its watch's key, as watch list shows
// it, and by the terms the 凑单 recorded for it.
std::string noticeCoupon(const std::string& path, const std::string& address)
{
    HistoryStore store;
    const bool open = store.open(path).status.ok();
    return couponName(watchKey(address), open ? store.couponTerms(couponKey(address)) : std::nullopt);
}

Result<WatchOptions> parseWalkWatch(const std::vector<std::string>& args)
{
    WatchOptions options;
    options.action = args[1];
    std::string job;
    if (const Result<void> taken = takeWalkArguments(args, options, job); !taken.ok())
        return Failure{taken.error()};
    if (!job.empty()) {
        if (!options.searchArgs.empty() || !options.ruleArgs.empty())
            return Failure{_("watch run --job takes no other arguments")};
        const Result<WatchJob> stored = readWatchJob(job, stderr);
        if (!stored.ok())
            return Failure{stored.error()};
        // The job's args hold no --job (its reading refuses one): this goes one level down.
        std::vector<std::string> jobArgs = {"watch", "run"};
        jobArgs.insert(jobArgs.end(), stored->args.begin(), stored->args.end());
        Result<WatchOptions> fromJob = parseWalkWatch(jobArgs);
        if (!fromJob.ok())
            return Failure{fillIn(_("cannot use the job file %s: "), watchJobPath(job)) + fromJob.error()};
        return fromJob;
    }
    if (options.action == "add")
        if (const Result<void> span = checkTimeSpan(options.every); !span.ok())
            return Failure{span.error()};
    std::vector<std::string> searchArgs = {"search"};
    // A timer's run ends when a page keeps failing, not after hours of asking.
    if (options.action == "run" &&
        std::none_of(options.searchArgs.begin(), options.searchArgs.end(),
                     [](const std::string& arg) { return startsWith(arg, "--retries"); }))
        searchArgs.insert(searchArgs.end(), {"--retries", "5"});
    searchArgs.insert(searchArgs.end(), options.searchArgs.begin(), options.searchArgs.end());
    const ParseResult parsed = parseCommandLine(searchArgs);
    if (!parsed.ok())
        return Failure{parsed.error()};
    if (parsed->action != CliAction::Search)
        return Failure{fillIn(_("watch %s needs one ADDRESS"), options.action)};
    options.search = parsed->search;
    if (options.search.noHistory)
        return Failure{_("a watch compares recorded walks; --no-history cannot be used")};
    options.search.goodsWithoutFile = false;
    return options;
}

} // namespace

bool isWatchCommand(const std::string& name)
{
    return name == "watch";
}

Result<WatchOptions> parseWatchCommand(const std::vector<std::string>& args)
{
    const std::string action = args.size() > 1 ? args[1] : "";
    if (action == "run" || action == "add")
        return parseWalkWatch(args);
    if (action != "list" && action != "remove")
        return Failure{action.empty() ? _("watch needs run, add, list or remove")
                                      : _("unknown watch command: ") + action};
    WatchOptions options;
    options.action = action;
    std::vector<std::string> operands;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string name = args[i].substr(0, args[i].find('='));
        if ((name != "--db" && name != "--format") || action != "list") {
            if (startsWith(args[i], "-") && args[i].size() > 1)
                return Failure{_("unknown option: ") + name};
            operands.push_back(args[i]);
            continue;
        }
        const Result<std::string> value = optionValue(args, i, name);
        if (!value.ok())
            return Failure{value.error()};
        if (name == "--db")
            options.dbPath = *value;
        else if (*value == "tsv" || *value == "json")
            options.json = *value == "json";
        else
            return Failure{_("--format takes tsv or json: ") + *value};
    }
    const std::size_t wanted = action == "remove" ? 1 : 0;
    if (operands.size() != wanted)
        return Failure{wanted ? _("watch remove needs one KEY") : _("watch list takes no operands")};
    if (wanted)
        options.key = operands.front();
    return options;
}

int runWatchWalk(const WatchOptions& options, Notifier& notifier, std::FILE* out, std::FILE* err)
{
    const std::string key = watchKey(trimWhiteSpace(options.search.address));
    const WatchLock lock(key);
    if (lock.state() == WatchLock::State::Busy) {
        // The timer came round while a check of the coupon still walks: that one tells its changes.
        std::fprintf(err, _("zorvane-cli: watch %s is being checked by another run; this one ends\n"),
                     key.c_str());
        return kExitOk;
    }
    if (lock.state() == WatchLock::State::Failed)
        std::fprintf(err, _("zorvane-cli: cannot lock %s (%s); checking without the lock\n"),
                     lock.path().c_str(), lock.failure().c_str());
    const SearchOutcome walked = runRecordedSearch(options.search, err);
    const int status = walked.status;
    const std::vector<SightingChange> changes =
        recordedChanges(historyPathOf(options.search), walked.walkId, err);
    for (const SightingChange& item : changes)
        if (item.change.kind != ChangeKind::Unchanged)
            writeChange(out, item, false);
    if (std::fflush(out) != 0 && status == kExitOk)
        return kExitWriteFailed;
    if (const std::optional<DesktopNotice> notice = priceNotice(
            changes, options.rule,
            noticeCoupon(historyPathOf(options.search), trimWhiteSpace(options.search.address)))) {
        // The notice is a courtesy: without it the walk and its output stand.
        if (const std::string cause = notifier.send(*notice); !cause.empty())
            std::fprintf(err, "无法发送桌面通知：%s\n", cause.c_str());
    }
    return status;
}

int runWatchCommand(const WatchOptions& options, std::FILE* out, std::FILE* err)
{
    if (options.action == "run") {
        const std::unique_ptr<Notifier> notifier = makeSessionBusNotifier();
        return runWatchWalk(options, *notifier, out, err);
    }
    if (options.action == "add")
        return addWatch(options, out, err);
    if (options.action == "list")
        return listWatches(options, out, err);
    return removeWatch(options.key, out, err);
}

} // namespace zorvane::cli
