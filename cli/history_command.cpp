#include "cli/history_command.h"

#include <filesystem>
#include <system_error>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "base/text.h"
#include "cli/exit_status.h"
#include "cli/translation.h"
#include "goods/goods_formats.h"
#include "history/coupon_key.h"
#include "history/history_store.h"
#include "settings/settings_file.h"

namespace zorvane::cli {

namespace {

void writeLine(std::FILE* out, const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
}

std::string priceText(double price)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", price);
    return text;
}

void printWalk(std::FILE* out, const WalkSummary& walk, bool json)
{
    if (json) {
        nlohmann::json line = {{"id", walk.id},
                               {"started", formatLocalTime(walk.startedMs)},
                               {"couponKey", walk.couponKey},
                               {"address", walk.address},
                               {"pages", walk.pages},
                               {"goods", walk.goodsCount},
                               {"end", walk.endReason},
                               {"whole", walk.whole}};
        writeLine(out, line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
        return;
    }
    writeLine(out, std::to_string(walk.id) + "\t" + formatLocalTime(walk.startedMs) + "\t" +
                       escapeTsvField(walk.couponKey) + "\t" + std::to_string(walk.pages) + "\t" +
                       std::to_string(walk.goodsCount) + "\t" + walk.endReason);
}

} // namespace

void writeChange(std::FILE* out, const SightingChange& item, bool json)
{
    const Sighting& goods = item.goods;
    if (json) {
        nlohmann::json line = {{"goodsId", goods.goodsId},
                               {"name", goods.name},
                               {"price", item.walkPrice},
                               {"change", changeKindName(item.change.kind)},
                               {"by", static_cast<double>(item.change.cents) / 100.0},
                               {"page", goods.page},
                               {"position", goods.position},
                               {"tags", goods.tags}};
        line["lastPrice"] = item.lastPrice ? nlohmann::json(*item.lastPrice) : nlohmann::json();
        writeLine(out, line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
        return;
    }
    writeLine(out, escapeTsvField(goods.goodsId) + "\t" + escapeTsvField(goods.name) + "\t" +
                       priceText(item.walkPrice) + "\t" + changeText(item.change));
}

std::vector<SightingChange> changesPerGoodsItem(const std::vector<SightingChange>& sightings)
{
    std::vector<SightingChange> items;
    std::unordered_set<std::string> seen;
    for (const SightingChange& item : sightings)
        if (seen.insert(item.goods.goodsId).second)
            items.push_back(item);
    return items;
}

namespace {

int listWalks(HistoryStore& store, const HistoryOptions& options, std::FILE* out, std::FILE* err)
{
    const SqlRows<WalkSummary> walks = store.listWalks();
    if (!walks.status.ok()) {
        std::fprintf(err, _("zorvane-cli: cannot read %s: %s\n"), options.dbPath.c_str(),
                     walks.status.message.c_str());
        return kExitWriteFailed;
    }
    for (const WalkSummary& walk : walks.rows)
        printWalk(out, walk, options.json);
    return kExitOk;
}

int listChanges(HistoryStore& store, const HistoryOptions& options, std::FILE* out, std::FILE* err)
{
    const std::string key = couponKey(options.address);
    const std::optional<WalkSummary> last = store.lastWalk(key);
    if (!last) {
        std::fprintf(err, _("zorvane-cli: no walk of %s in %s\n"), key.c_str(), options.dbPath.c_str());
        return kExitWriteFailed;
    }
    // A walk that found nothing (a login page, a stop at once) has nothing to
    // compare, and one not in the file whole would tell goods it left out as
    // gone: the last one before it that is whole and found goods is what the
    // user wants.
    const bool usable = last->goodsCount > 0 && last->whole;
    const std::optional<WalkSummary> walk = usable ? last : store.lastWholeWalkWithGoods(key);
    if (!walk) {
        std::fprintf(err, _("zorvane-cli: no walk of %s in %s found goods\n"), key.c_str(),
                     options.dbPath.c_str());
        return kExitWriteFailed;
    }
    if (walk->id != last->id) {
        const char* passedOver =
            last->whole
                ? _("zorvane-cli: the last walk (%lld, %s) found no goods; comparing walk %lld (%s) "
                    "with the walks before it\n")
                : _("zorvane-cli: the last walk (%lld, %s) is not in the history whole; comparing walk "
                    "%lld (%s) with the walks before it\n");
        std::fprintf(err, passedOver, static_cast<long long>(last->id),
                     formatLocalTime(last->startedMs).c_str(), static_cast<long long>(walk->id),
                     formatLocalTime(walk->startedMs).c_str());
    }
    const SqlRows<SightingChange> changes = store.changes(walk->id, key);
    if (!changes.status.ok()) {
        std::fprintf(err, _("zorvane-cli: cannot read %s: %s\n"), options.dbPath.c_str(),
                     changes.status.message.c_str());
        return kExitWriteFailed;
    }
    for (const SightingChange& item : changesPerGoodsItem(changes.rows))
        writeChange(out, item, options.json);
    return kExitOk;
}

} // namespace

void reportUnreadable(const std::string& path, const SqlStatus& status, std::FILE* err)
{
    if (status.notDatabase())
        std::fprintf(err, _("zorvane-cli: %s is not a history file\n"), path.c_str());
    else
        std::fprintf(err, _("zorvane-cli: cannot open %s: %s\n"), path.c_str(), status.message.c_str());
}

bool isHistoryCommand(const std::string& name)
{
    return name == "history" || name == "changes";
}

Result<HistoryOptions> parseHistoryCommand(const std::vector<std::string>& args)
{
    auto refuse = [](std::string reason) { return Result<HistoryOptions>(Failure{std::move(reason)}); };
    HistoryOptions options;
    options.command = args.front();
    std::vector<std::string> operands;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('='); startsWith(arg, "--") && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        if (arg != "--db" && arg != "--format") {
            if (startsWith(arg, "-") && arg.size() > 1)
                return refuse(_("unknown option: ") + arg);
            operands.push_back(args[i]);
            continue;
        }
        if (!value && i + 1 < args.size())
            value = args[++i];
        if (!value || value->empty())
            return refuse(fillIn(_("%s needs a value"), arg));
        if (arg == "--db")
            options.dbPath = *value;
        else if (*value == "tsv" || *value == "json")
            options.json = *value == "json";
        else
            return refuse(_("--format takes tsv or json: ") + *value);
    }
    const std::size_t wanted = options.command == "changes" ? 1 : 0;
    if (operands.size() != wanted)
        return refuse(wanted ? _("changes needs one ADDRESS") : _("history takes no operands"));
    if (wanted)
        options.address = operands.front();
    return options;
}

std::string defaultHistoryPath()
{
    return historyFilePath(settingsFilePath(programDirectory()));
}

int runHistoryCommand(const HistoryOptions& given, std::FILE* out, std::FILE* err)
{
    HistoryOptions options = given;
    if (options.dbPath.empty()) {
        const std::string settingsPath = existingSettingsFilePath(programDirectory());
        options.dbPath = settingsPath.empty() ? "" : historyFilePath(settingsPath);
    }
    // Reading leaves nothing behind: without a file there is no walk yet,
    // and opening one would make it.
    std::error_code ec;
    if (options.dbPath.empty() || !std::filesystem::exists(options.dbPath, ec)) {
        if (options.command != "changes")
            return kExitOk;
        std::fprintf(err, _("zorvane-cli: no walk of %s recorded yet\n"), couponKey(options.address).c_str());
        return kExitWriteFailed;
    }
    HistoryStore store;
    if (const SqlStatus opened = store.openForReading(options.dbPath); !opened.ok()) {
        reportUnreadable(options.dbPath, opened, err);
        return kExitWriteFailed;
    }
    const int status = options.command == "changes" ? listChanges(store, options, out, err)
                                                    : listWalks(store, options, out, err);
    return std::fflush(out) == 0 ? status : kExitWriteFailed;
}

} // namespace zorvane::cli
