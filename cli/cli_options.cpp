#include "cli/cli_options.h"

#include <cctype>
#include <charconv>
#include <iterator>

#include "core/text.h"

namespace zorvane::cli {

namespace {

// Returns "" when the value was taken, else the reason it was not.
using Setter = std::string (*)(SearchOptions&, const std::string&);

struct OptionSpec
{
    char shortName; // 0 = long form only
    const char* longName;
    bool takesValue;
    Setter set;
};

bool isWholeNumber(const std::string& text)
{
    int value = 0;
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(text.data(), last, value);
    return !text.empty() && error == std::errc() && end == last;
}

// An ASCII decimal number, as the window's price boxes let one type it.
bool isDecimal(const std::string& text)
{
    std::size_t i = 0;
    std::size_t digits = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            ++digits;
    }
    return digits > 0 && i == text.size();
}

bool isHeaderLine(const std::string& line)
{
    const std::size_t colon = line.find(':');
    return colon != std::string::npos && !trimSpaces(line.substr(0, colon)).empty() &&
           line.find_first_of("\r\n") == std::string::npos;
}

bool isHostName(const std::string& host)
{
    return !host.empty() && host.find_first_of("/ \t\r\n") == std::string::npos;
}

const OptionSpec kSearchOptions[] = {
    {'i', "interval", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.interval = v;
         return isWholeNumber(v) ? "" : "--interval needs a whole number of milliseconds: " + v;
     }},
    {'p', "pages", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.pages = v;
         return isWholeNumber(v) ? "" : "--pages needs a whole number: " + v;
     }},
    {0, "cookie", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.cookie = v;
         return "";
     }},
    {'H', "header", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.headers.push_back(v);
         return isHeaderLine(v) ? "" : "--header needs one line \"Name: value\": " + v;
     }},
    {0, "min", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.minPrice = v;
         return isDecimal(v) ? "" : "--min needs a price: " + v;
     }},
    {0, "max", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.maxPrice = v;
         return isDecimal(v) ? "" : "--max needs a price: " + v;
     }},
    {'t', "tag", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.tags.push_back(v);
         return v.empty() ? "--tag needs a tag" : "";
     }},
    {0, "sort", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         if (v != "asc" && v != "desc")
             return "--sort takes asc or desc: " + v;
         o.sortAscending = v == "asc";
         return "";
     }},
    {'o', "csv", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.csvPath = v;
         return v.empty() ? "--csv needs a file name or -" : "";
     }},
    {0, "config", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.configPath = v;
         return v.empty() ? "--config needs a file name" : "";
     }},
    {0, "search-host", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.searchHost = v;
         return isHostName(v) ? "" : "--search-host needs a host or host:port: " + v;
     }},
    {0, "insecure", false,
     [](SearchOptions& o, const std::string&) -> std::string {
         o.insecure = true;
         return "";
     }},
    {0, "ca-file", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.caFile = v;
         return v.empty() ? "--ca-file needs a file name" : "";
     }},
};

const OptionSpec* findOption(const std::string& arg, std::string& name,
                             std::optional<std::string>& inlineValue)
{
    if (startsWith(arg, "--")) {
        const std::size_t eq = arg.find('=');
        name = arg.substr(0, eq);
        if (eq != std::string::npos)
            inlineValue = arg.substr(eq + 1);
        for (const OptionSpec& option : kSearchOptions) {
            if (name == std::string("--") + option.longName)
                return &option;
        }
        return nullptr;
    }
    name = arg.substr(0, 2);
    if (arg.size() > 2)
        inlineValue = arg.substr(2);
    for (const OptionSpec& option : kSearchOptions) {
        if (option.shortName != 0 && arg[1] == option.shortName)
            return &option;
    }
    return nullptr;
}

bool isHelp(const std::string& arg)
{
    return arg == "--help" || arg == "-h";
}

bool looksLikeOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

ParseResult refuse(std::string reason)
{
    return ParseResult{std::nullopt, std::move(reason)};
}

ParseResult parseSearch(const std::vector<std::string>& args)
{
    CliCommand command;
    command.action = CliAction::Search;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !looksLikeOption(arg)) {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (isHelp(arg))
            return ParseResult{CliCommand{CliAction::Help, {}, {}}, ""};
        std::string name;
        std::optional<std::string> value;
        const OptionSpec* option = findOption(arg, name, value);
        if (!option)
            return refuse("unknown option: " + name);
        if (!option->takesValue && value)
            return refuse(name + " takes no value");
        if (option->takesValue && !value) {
            if (i + 1 >= args.size())
                return refuse(name + " needs a value");
            value = args[++i];
        }
        std::string error = option->set(command.search, value.value_or(""));
        if (!error.empty())
            return refuse(error);
    }
    if (operands.size() != 1)
        return refuse(operands.empty() ? "search needs an ADDRESS"
                                       : "search takes one ADDRESS, not " + std::to_string(operands.size()));
    command.search.address = operands.front();
    if (!isWebAddress(trimSpaces(command.search.address)))
        return refuse("not an http or https address: " + command.search.address);
    return ParseResult{std::move(command), ""};
}

ParseResult parseExtract(const std::vector<std::string>& args)
{
    CliCommand command;
    command.action = CliAction::Extract;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && isHelp(arg)) {
            return ParseResult{CliCommand{CliAction::Help, {}, {}}, ""};
        } else if (!optionsEnded && looksLikeOption(arg)) {
            return refuse("extract takes no options: " + arg);
        } else {
            command.files.push_back(arg);
        }
    }
    if (command.files.empty())
        return refuse("extract needs at least one FILE");
    return ParseResult{std::move(command), ""};
}

} // namespace

ParseResult parseCommandLine(const std::vector<std::string>& args)
{
    if (args.empty())
        return refuse("no command given");
    const std::string& first = args.front();
    if (isHelp(first))
        return ParseResult{CliCommand{CliAction::Help, {}, {}}, ""};
    if (first == "--version")
        return ParseResult{CliCommand{CliAction::Version, {}, {}}, ""};
    if (first == "search")
        return parseSearch(args);
    if (first == "extract")
        return parseExtract(args);
    return refuse("unknown command: " + first);
}

std::string joinHeaderLines(const std::vector<std::string>& lines)
{
    std::string joined;
    for (const std::string& line : lines) {
        if (!joined.empty())
            joined += "\r\n";
        joined += line;
    }
    return joined;
}

const char* usageText()
{
    return R"(Usage:
zorvane-cli search [options] ADDRESS
  walk the shop's result pages from ADDRESS (http or https) and gather the goods
  -i, --interval MS     page interval in milliseconds (default 1000; negative is a usage error)
  -p, --pages N         page limit, 0 = no limit (default 0; negative is a usage error)
      --cookie TEXT     cookie text, as the window's Cookie box
  -H, --header LINE     an extra request header "Name: value"; repeatable; joined with CR LF
      --min PRICE       lower price bound, as the window's first price box
      --max PRICE       upper price bound, as its second price box
  -t, --tag TAG         a required promotion tag; repeatable; a goods must carry all of them
      --sort asc|desc   sort by price, as the price column does
  -o, --csv FILE        write the shown goods to FILE in the export's exact format ("-" = standard output)
      --config FILE     read the "配置" section from this settings file (hosts, update address, 忽略证书错误)
      --search-host H   the shop's search host for next-page addresses (host or host:port); overrides --config
      --insecure        accept certificate errors, as 忽略证书错误=真
      --ca-file FILE    for testing: trust only the certificate authority in FILE
zorvane-cli extract FILE...
  analyse saved result pages without any network: for each goods item, one line on standard output:
  goodsId TAB name TAB price ("%.13g") TAB tagText, in page order, UTF-8, LF line ends; tabs and line
  breaks inside a field written as \t, \n, \r, and a backslash as \\
zorvane-cli --version | --help

The log goes to standard error. Ctrl-C, SIGTERM (kill, timeout) and SIGHUP stop the walk after the
current page and still write what was gathered; a second one ends the program at once. When the
reader of the standard output goes away (-o - | head), the program ends without a word.

Exit status: 0 the walk ended by itself; 3 the walk paused itself (its position is printed);
130 stopped by Ctrl-C, 143 by SIGTERM, 129 by SIGHUP; 141 the standard output's reader went away;
2 usage error; 1 the output file (or an extract input) could not be written (read).
)";
}

} // namespace zorvane::cli
