// The pure parts of a watch: where its files go, its key, its period and the
// text of its systemd units.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "cli/translation.h"
#include "cli/watch_jobs.h"
#include "history/coupon_key.h"

namespace zorvane::cli {

namespace {

// The shop's pages are walked politely: no watch more often than this.
constexpr std::int64_t kShortestPeriodSeconds = 10 * 60;

std::string configHome()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return config;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

// The seconds of one systemd time unit, 0 for none.
std::int64_t unitSeconds(const std::string& unit)
{
    static const std::pair<const char*, std::int64_t> kUnits[] = {
        {"", 1},         {"s", 1},       {"sec", 1},       {"second", 1},    {"seconds", 1},
        {"m", 60},       {"min", 60},    {"minute", 60},   {"minutes", 60},  {"h", 3600},
        {"hr", 3600},    {"hour", 3600}, {"hours", 3600},  {"d", 86400},     {"day", 86400},
        {"days", 86400}, {"w", 604800},  {"week", 604800}, {"weeks", 604800}};
    for (const auto& [name, seconds] : kUnits)
        if (unit == name)
            return seconds;
    return 0;
}

// The seconds of a span, none when it is no systemd span of whole units.
std::optional<std::int64_t> spanSeconds(const std::string& span)
{
    std::int64_t total = 0;
    std::size_t i = 0;
    bool any = false;
    while (i < span.size()) {
        if (span[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t digits = i;
        while (i < span.size() && std::isdigit(static_cast<unsigned char>(span[i])))
            ++i;
        const std::size_t letters = i;
        while (i < span.size() && std::isalpha(static_cast<unsigned char>(span[i])))
            ++i;
        const std::string number = span.substr(digits, letters - digits);
        const std::int64_t unit = unitSeconds(span.substr(letters, i - letters));
        if (number.empty() || number.size() > 6 || unit == 0)
            return std::nullopt;
        total += std::stoll(number) * unit;
        any = true;
    }
    return any ? std::optional<std::int64_t>(total) : std::nullopt;
}

// A path for ExecStart=: "%" is a specifier there, and quotes keep spaces.
// checkUnitProgram has refused what no quoting makes systemd take.
std::string unitPath(const std::string& path)
{
    std::string quoted = "\"";
    for (const char c : path) {
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    return quoted + "\"";
}

} // namespace

std::string watchJobDirectory()
{
    return configHome() + "/zorvane/watch";
}

std::string userUnitDirectory()
{
    return configHome() + "/systemd/user";
}

std::string watchKey(const std::string& address)
{
    // FNV-1a of the coupon key: short, stable and safe in a unit's name.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : couponKey(address)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    char key[17];
    std::snprintf(key, sizeof key, "%012llx", static_cast<unsigned long long>(hash >> 16));
    return key;
}

Result<void> checkTimeSpan(const std::string& span)
{
    const std::optional<std::int64_t> seconds = spanSeconds(span);
    if (!seconds)
        return Failure{_("--every takes a time span such as 30min, 6h or 1d: ") + span};
    if (*seconds < kShortestPeriodSeconds)
        return Failure{_("--every must be at least 10min, to stay polite to the shop: ") + span};
    return {};
}

Result<void> checkUnitProgram(const std::string& program)
{
    // systemd takes no executable name with these, however it is quoted or escaped.
    const bool refused = std::any_of(program.begin(), program.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '"' || c == '\\' || c == '\'' || byte < 0x20 || byte == 0x7f;
    });
    return okOr(!refused, _("systemd takes no program path with \", \\, ' or a control character in it; "
                            "move zorvane-cli to another folder: ") +
                              program);
}

std::string watchServiceUnit(const std::string& key, const std::string& program)
{
    return "[Unit]\n"
           "Description=Zorvane: walk a watched coupon (" +
           key +
           ")\n"
           "Documentation=man:zorvane-cli(1)\n"
           "\n"
           "[Service]\n"
           "Type=oneshot\n"
           "ExecStart=" +
           unitPath(program) + " watch run --job " + key +
           "\n"
           // The log goes to the journal; nothing waits on a terminal.
           "StandardInput=null\n"
           "StandardError=journal\n"
           "Nice=10\n";
}

std::string watchTimerUnit(const std::string& key, const std::string& every)
{
    // After a boot (the machine was off at the time) a walk comes soon; a
    // random delay keeps many watches from reaching the shop at once.
    return "[Unit]\n"
           "Description=Zorvane: walk a watched coupon every " +
           every +
           "\n"
           "\n"
           "[Timer]\n"
           "OnBootSec=5min\n"
           "OnUnitActiveSec=" +
           every +
           "\n"
           "RandomizedDelaySec=5min\n"
           "Unit=zorvane-watch-" +
           key +
           ".service\n"
           "\n"
           "[Install]\n"
           "WantedBy=timers.target\n";
}

} // namespace zorvane::cli
