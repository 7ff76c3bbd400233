#include "cli/cli_options.h"

#include <cctype>
#include <charconv>
#include <functional>

#include "core/text.h"
#include "web/proxy_setting.h"

namespace zorvane::cli {

namespace {

// Returns "" when the value was taken, else the reason it was not.
template <typename Options> struct OptionSpec
{
    char shortName; // 0 = long form only
    const char* longName;
    bool takesValue;
    std::string (*set)(Options&, const std::string&);
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

std::string setOutputPath(SearchOptions& options, const std::string& path)
{
    options.csvPath = path;
    return path.empty() ? "--output needs a file name or -" : "";
}

const OptionSpec<SearchOptions> kSearchOptions[] = {
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
    {0, "cookies", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.cookiesFile = v;
         return v.empty() ? "--cookies needs a file name or firefox" : "";
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
    {'o', "output", true, setOutputPath},
    // The name from before there was more than one format; scripts use it.
    {0, "csv", true, setOutputPath},
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
    {0, "cacert", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.caFile = v;
         return v.empty() ? "--cacert needs a file name" : "";
     }},
    {0, "ca-file", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.caFile = v;
         return v.empty() ? "--ca-file needs a file name" : "";
     }},
    {0, "proxy", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.proxy = v;
         return parseProxyUrl(v) ? ""
                                 : "--proxy needs http://, https://, socks5:// or socks5h:// and a host: " +
                                       hidePassword(v);
     }},
    {0, "db", true,
     [](SearchOptions& o, const std::string& v) -> std::string {
         o.historyDb = v;
         return v.empty() ? "--db needs a file name" : "";
     }},
    {0, "no-history", false,
     [](SearchOptions& o, const std::string&) -> std::string {
         o.noHistory = true;
         return "";
     }},
};

const OptionSpec<ExtractOptions> kExtractOptions[] = {
    {'o', "output", true,
     [](ExtractOptions& o, const std::string& v) -> std::string {
         o.outputPath = v;
         return v.empty() ? "--output needs a file name or -" : "";
     }},
};

const OptionSpec<OutputOptions> kOutputOptions[] = {
    {0, "format", true,
     [](OutputOptions& o, const std::string& v) -> std::string {
         if (v == "csv")
             o.format = GoodsFormat::csv;
         else if (v == "tsv")
             o.format = GoodsFormat::tsv;
         else if (v == "json")
             o.format = GoodsFormat::json;
         else if (v == "xlsx")
             o.format = GoodsFormat::xlsx;
         else
             return "--format takes csv, tsv, json or xlsx: " + v;
         return "";
     }},
    {0, "encoding", true,
     [](OutputOptions& o, const std::string& v) -> std::string {
         if (v == "gbk")
             o.encoding = CsvEncoding::gbk;
         else if (v == "utf-8")
             o.encoding = CsvEncoding::utf8;
         else
             return "--encoding takes gbk or utf-8: " + v;
         return "";
     }},
    {'q', "quiet", false,
     [](OutputOptions& o, const std::string&) -> std::string {
         o.quiet = true;
         return "";
     }},
};

// An option found on the command line, bound to the options it sets.
struct BoundOption
{
    bool takesValue = false;
    std::function<std::string(const std::string&)> set;
};

using OptionFinder = std::function<std::optional<BoundOption>(const std::string& name)>;

template <typename Options, std::size_t N>
std::optional<BoundOption> bindOption(const OptionSpec<Options> (&table)[N], Options& target,
                                      const std::string& name)
{
    for (const OptionSpec<Options>& option : table) {
        const bool matches = name == std::string("--") + option.longName ||
                             (option.shortName != 0 && name == std::string{'-', option.shortName});
        if (matches) {
            return BoundOption{option.takesValue,
                               [&target, set = option.set](const std::string& v) { return set(target, v); }};
        }
    }
    return std::nullopt;
}

// "--name=value" and "-nVALUE" as the name and the value written with it.
std::string splitOption(const std::string& arg, std::optional<std::string>& inlineValue)
{
    if (startsWith(arg, "--")) {
        const std::size_t eq = arg.find('=');
        if (eq != std::string::npos)
            inlineValue = arg.substr(eq + 1);
        return arg.substr(0, eq);
    }
    if (arg.size() > 2)
        inlineValue = arg.substr(2);
    return arg.substr(0, 2);
}

bool isHelp(const std::string& arg)
{
    return arg == "--help" || arg == "-h";
}

// A lone "-" is an operand: standard input or output.
bool looksLikeOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

ParseResult refuse(std::string reason)
{
    return ParseResult{std::nullopt, std::move(reason)};
}

struct Scan
{
    std::vector<std::string> operands;
    bool help = false;
    std::string error; // "" = every option was taken
};

// The arguments after the command word: options set through find, the rest
// kept as operands in order.
Scan scanArguments(const std::vector<std::string>& args, const OptionFinder& find)
{
    Scan scan;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size() && scan.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !looksLikeOption(arg)) {
            scan.operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (isHelp(arg)) {
            scan.help = true;
            return scan;
        } else {
            std::optional<std::string> value;
            const std::string name = splitOption(arg, value);
            const std::optional<BoundOption> option = find(name);
            if (!option)
                scan.error = "unknown option: " + name;
            else if (!option->takesValue && value)
                scan.error = name + " takes no value";
            else if (option->takesValue && !value && i + 1 >= args.size())
                scan.error = name + " needs a value";
            else
                scan.error = option->set(option->takesValue && !value ? args[++i] : value.value_or(""));
        }
    }
    return scan;
}

ParseResult helpCommand()
{
    return ParseResult{CliCommand{CliAction::Help, {}, {}}, ""};
}

ParseResult parseSearch(const std::vector<std::string>& args)
{
    CliCommand command;
    command.action = CliAction::Search;
    SearchOptions& options = command.search;
    const Scan scan = scanArguments(args, [&options](const std::string& name) {
        std::optional<BoundOption> option = bindOption(kSearchOptions, options, name);
        return option ? option : bindOption(kOutputOptions, options.output, name);
    });
    if (scan.help)
        return helpCommand();
    if (!scan.error.empty())
        return refuse(scan.error);
    if (scan.operands.size() != 1)
        return refuse(scan.operands.empty()
                          ? "search needs an ADDRESS"
                          : "search takes one ADDRESS, not " + std::to_string(scan.operands.size()));
    options.address = scan.operands.front();
    if (!isWebAddress(trimSpaces(options.address)))
        return refuse("not an http or https address: " + options.address);
    return ParseResult{std::move(command), ""};
}

ParseResult parseExtract(const std::vector<std::string>& args)
{
    CliCommand command;
    command.action = CliAction::Extract;
    ExtractOptions& extract = command.extract;
    Scan scan = scanArguments(args, [&extract](const std::string& name) {
        std::optional<BoundOption> option = bindOption(kExtractOptions, extract, name);
        return option ? option : bindOption(kOutputOptions, extract.output, name);
    });
    if (scan.help)
        return helpCommand();
    if (!scan.error.empty())
        return refuse(scan.error);
    if (scan.operands.empty())
        return refuse("extract needs at least one FILE");
    command.extract.files = std::move(scan.operands);
    return ParseResult{std::move(command), ""};
}

} // namespace

ParseResult parseCommandLine(const std::vector<std::string>& args)
{
    if (args.empty())
        return refuse("no command given");
    const std::string& first = args.front();
    if (isHelp(first))
        return helpCommand();
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
      --cookies FILE    send the cookies of a Netscape cookies.txt or a Firefox cookies.sqlite that the
                        address's host would get ("firefox" = the default Firefox profile's); --cookie
                        TEXT follows them and wins for a name in both
  -H, --header LINE     an extra request header "Name: value"; repeatable; joined with CR LF
      --min PRICE       lower price bound, as the window's first price box
      --max PRICE       upper price bound, as its second price box
  -t, --tag TAG         a required promotion tag; repeatable; a goods must carry all of them
      --sort asc|desc   sort by price, as the price column does
  -o, --output FILE     write the shown goods to FILE ("-" = standard output); --csv FILE is the same;
                        without it the goods go to standard output as tsv
      --format F        csv (the window's export, the default with -o), tsv, json (one object a line)
                        or xlsx (an Excel workbook: ids as text, prices as numbers, links; needs -o)
      --encoding E      the character set of csv: gbk (default, as the window writes it) or utf-8
                        (with a byte-order mark); tsv and json are always UTF-8
  -q, --quiet           standard error keeps failures only: no log, no progress display
      --config FILE     read the "配置" section from this settings file (hosts, update address, 忽略证书错误, 证书文件)
      --search-host H   the shop's search host for next-page addresses (host or host:port); overrides --config
      --insecure        accept certificate errors, as 忽略证书错误=真
      --cacert FILE     trust only the certificate authorities in the PEM bundle FILE, as 证书文件
                        (certificates are still checked); overrides --config
      --ca-file FILE    for testing: the same as --cacert
      --proxy URL       reach the shop through this proxy: http://, https://, socks5:// or socks5h://,
                        optionally with user:password@; overrides the settings' 代理; without either,
                        https_proxy, http_proxy and no_proxy of the environment count
      --db FILE         record the walk in this history file (default: goods.sqlite beside the
                        window's setsoft.ini)
      --no-history      do not record the walk
zorvane-cli history [--db FILE] [--format tsv|json]
  the recorded walks, oldest first: id TAB start time TAB coupon TAB pages TAB goods TAB end
zorvane-cli changes [--db FILE] [--format tsv|json] ADDRESS
  the goods of the last walk of ADDRESS's coupon (the address without page, s and click), each
  against its last sighting in the coupon's earlier walks: goodsId TAB name TAB price TAB change
  (新 never seen, 降¥x.xx cheaper, 涨¥x.xx dearer, empty unchanged); json: one object per line
zorvane-cli extract [options] FILE...
  analyse saved result pages without any network ("-" = one page from standard input); for each
  goods item, in page order, one line on standard output: by default (tsv) goodsId TAB name TAB
  price ("%.13g") TAB tagText, UTF-8, LF line ends; tabs and line breaks inside a field written as
  \t, \n, \r, and a backslash as \\
  -o, --output FILE     write the goods to FILE ("-" = standard output) instead of standard output
      --format F, --encoding E, -q, --quiet   as for search
zorvane-cli --version | --help

The log goes to standard error. Ctrl-C, SIGTERM (kill, timeout) and SIGHUP stop the walk after the
current page and still write what was gathered; a second one ends the program at once. When the
reader of the standard output goes away (-o - | head), the program ends without a word.

CSV in GBK and xlsx workbooks are not written to a terminal: choose --format tsv, --encoding utf-8
or a file.

Exit status: 0 the walk ended by itself; 3 the walk paused itself (its position is printed);
130 stopped by Ctrl-C, 143 by SIGTERM, 129 by SIGHUP; 141 the standard output's reader went away;
2 usage error; 1 the output file (or an extract input) could not be written (read).
)";
}

} // namespace zorvane::cli
