#include "cli/cli_options.h"

#include <cctype>
#include <charconv>
#include <functional>

#include "base/text.h"
#include "cli/translation.h"
#include "web/proxy_setting.h"

namespace zorvane::cli {

namespace {

// set takes the value, or refuses it with the reason.
template <typename Options> struct OptionSpec
{
    char shortName; // 0 = long form only
    const char* longName;
    bool takesValue;
    Result<void> (*set)(Options&, const std::string&);
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

Result<void> setOutputPath(SearchOptions& options, const std::string& path)
{
    options.csvPath = path;
    return okOr(!path.empty(), _("--output needs a file name or -"));
}

const OptionSpec<SearchOptions> kSearchOptions[] = {
    {'i', "interval", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.interval = v;
         return okOr(isWholeNumber(v), _("--interval needs a whole number of milliseconds: ") + v);
     }},
    {'p', "pages", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.pages = v;
         return okOr(isWholeNumber(v), _("--pages needs a whole number: ") + v);
     }},
    {0, "retries", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.retries = v;
         return okOr(isWholeNumber(v) && v[0] != '-',
                     _("--retries needs a whole number, 0 = no limit: ") + v);
     }},
    {0, "cookie", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.cookie = v;
         return {};
     }},
    {0, "cookies", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.cookiesFile = v;
         return okOr(!v.empty(), _("--cookies needs a file name or firefox"));
     }},
    {'H', "header", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.headers.push_back(v);
         return okOr(isHeaderLine(v), _("--header needs one line \"Name: value\": ") + v);
     }},
    {0, "min", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.minPrice = v;
         return okOr(isDecimal(v), _("--min needs a price: ") + v);
     }},
    {0, "max", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.maxPrice = v;
         return okOr(isDecimal(v), _("--max needs a price: ") + v);
     }},
    {'t', "tag", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.tags.push_back(v);
         return okOr(!v.empty(), _("--tag needs a tag"));
     }},
    {0, "sort", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         if (v != "asc" && v != "desc")
             return Failure{_("--sort takes asc or desc: ") + v};
         o.sortAscending = v == "asc";
         return {};
     }},
    {'o', "output", true, setOutputPath},
    // The name from before there was more than one format; scripts use it.
    {0, "csv", true, setOutputPath},
    {0, "config", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.configPath = v;
         return okOr(!v.empty(), _("--config needs a file name"));
     }},
    {0, "search-host", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.searchHost = v;
         return okOr(isHostName(v), _("--search-host needs a host or host:port: ") + v);
     }},
    {0, "insecure", false,
     [](SearchOptions& o, const std::string&) -> Result<void> {
         o.insecure = true;
         return {};
     }},
    {0, "cacert", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.caFile = v;
         return okOr(!v.empty(), _("--cacert needs a file name"));
     }},
    {0, "ca-file", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.caFile = v;
         return okOr(!v.empty(), _("--ca-file needs a file name"));
     }},
    {0, "proxy", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.proxy = v;
         return okOr(parseProxyUrl(v).has_value(),
                     _("--proxy needs http://, https://, socks5:// or socks5h:// and a host: ") +
                         hidePassword(v));
     }},
    {0, "db", true,
     [](SearchOptions& o, const std::string& v) -> Result<void> {
         o.historyDb = v;
         return okOr(!v.empty(), _("--db needs a file name"));
     }},
    {0, "no-history", false,
     [](SearchOptions& o, const std::string&) -> Result<void> {
         o.noHistory = true;
         return {};
     }},
};

const OptionSpec<ExtractOptions> kExtractOptions[] = {
    {'o', "output", true,
     [](ExtractOptions& o, const std::string& v) -> Result<void> {
         o.outputPath = v;
         return okOr(!v.empty(), _("--output needs a file name or -"));
     }},
};

const OptionSpec<OutputOptions> kOutputOptions[] = {
    {0, "format", true,
     [](OutputOptions& o, const std::string& v) -> Result<void> {
         if (v == "csv")
             o.format = GoodsFormat::Csv;
         else if (v == "tsv")
             o.format = GoodsFormat::Tsv;
         else if (v == "json")
             o.format = GoodsFormat::Json;
         else if (v == "xlsx")
             o.format = GoodsFormat::Xlsx;
         else
             return Failure{_("--format takes csv, tsv, json or xlsx: ") + v};
         return {};
     }},
    {0, "encoding", true,
     [](OutputOptions& o, const std::string& v) -> Result<void> {
         if (v == "gbk")
             o.encoding = CsvEncoding::Gbk;
         else if (v == "utf-8")
             o.encoding = CsvEncoding::Utf8;
         else
             return Failure{_("--encoding takes gbk or utf-8: ") + v};
         return {};
     }},
    {'q', "quiet", false,
     [](OutputOptions& o, const std::string&) -> Result<void> {
         o.quiet = true;
         return {};
     }},
};

// An option found on the command line, bound to the options it sets.
struct BoundOption
{
    bool takesValue = false;
    std::function<Result<void>(const std::string&)> set;
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
    return Failure{std::move(reason)};
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
                scan.error = _("unknown option: ") + name;
            else if (!option->takesValue && value)
                scan.error = fillIn(_("%s takes no value"), name);
            else if (option->takesValue && !value && i + 1 >= args.size())
                scan.error = fillIn(_("%s needs a value"), name);
            else if (const Result<void> taken =
                         option->set(option->takesValue && !value ? args[++i] : value.value_or(""));
                     !taken.ok())
                scan.error = taken.error();
        }
    }
    return scan;
}

ParseResult helpCommand()
{
    return CliCommand{CliAction::Help, {}, {}};
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
                          ? _("search needs an ADDRESS")
                          : _("search takes one ADDRESS, not ") + std::to_string(scan.operands.size()));
    options.address = scan.operands.front();
    if (!isWebAddress(trimWhiteSpace(options.address)))
        return refuse(_("not an http or https address: ") + options.address);
    return command;
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
        return refuse(_("extract needs at least one FILE"));
    command.extract.files = std::move(scan.operands);
    return command;
}

} // namespace

ParseResult parseCommandLine(const std::vector<std::string>& args)
{
    if (args.empty())
        return refuse(_("no command given"));
    const std::string& first = args.front();
    if (isHelp(first))
        return helpCommand();
    if (first == "--version")
        return CliCommand{CliAction::Version, {}, {}};
    if (first == "search")
        return parseSearch(args);
    if (first == "extract")
        return parseExtract(args);
    return refuse(_("unknown command: ") + first);
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

std::string usageText()
{
    // One entry a paragraph or option, each translated on its own, so that a
    // change to one leaves the others' translations in place.
    static const char* const kEntries[] = {
        N_("Usage:\n"),
        N_("zorvane-cli search [options] ADDRESS\n"
           "  walk the shop's result pages from ADDRESS (http or https) and gather the goods\n"),
        N_("  -i, --interval MS     page interval in milliseconds (default 1000; negative is a usage "
           "error)\n"),
        N_("  -p, --pages N         page limit, 0 = no limit (default 0; negative is a usage error)\n"),
        N_("      --retries N       after N failures in a row of the same page the walk pauses itself (exit "
           "3,\n"
           "                        the address to go on from is printed); 0 = never, as the window (default "
           "0;\n"
           "                        watch run: 5)\n"),
        N_("      --cookie TEXT     cookie text, as the window's Cookie box\n"),
        N_("      --cookies FILE    send the cookies of a Netscape cookies.txt or a Firefox cookies.sqlite "
           "that the\n"
           "                        address's host would get (\"firefox\" = the default Firefox profile's); "
           "--cookie\n"
           "                        TEXT follows them and wins for a name in both\n"),
        N_("  -H, --header LINE     an extra request header \"Name: value\"; repeatable; joined with CR "
           "LF\n"),
        N_("      --min PRICE       lower price bound, as the window's first price box\n"),
        N_("      --max PRICE       upper price bound, as its second price box\n"),
        N_("  -t, --tag TAG         a required promotion tag; repeatable; a goods must carry all of them\n"),
        N_("      --sort asc|desc   sort by price, as the price column does\n"),
        N_("  -o, --output FILE     write the shown goods to FILE (\"-\" = standard output); --csv FILE is "
           "the "
           "same;\n"
           "                        without it the goods go to standard output as tsv\n"),
        N_("      --format F        csv (the window's export, the default with -o), tsv, json (one object a "
           "line)\n"
           "                        or xlsx (an Excel workbook: ids as text, prices as numbers, links; needs "
           "-o)\n"),
        N_("      --encoding E      the character set of csv: gbk (default, as the window writes it) or "
           "utf-8\n"
           "                        (with a byte-order mark); tsv and json are always UTF-8\n"),
        N_("  -q, --quiet           standard error keeps failures only: no log, no progress display\n"),
        N_("      --config FILE     read the \"配置\" section from this settings file (hosts, update "
           "address, "
           "忽略证书错误, 证书文件)\n"),
        N_("      --search-host H   the shop's search host for next-page addresses (host or host:port); "
           "overrides --config\n"),
        N_("      --insecure        accept certificate errors, as 忽略证书错误=真\n"),
        N_("      --cacert FILE     trust only the certificate authorities in the PEM bundle FILE, as "
           "证书文件\n"
           "                        (certificates are still checked); overrides --config\n"),
        N_("      --ca-file FILE    for testing: the same as --cacert\n"),
        N_("      --proxy URL       reach the shop through this proxy: http://, https://, socks5:// or "
           "socks5h://,\n"
           "                        optionally with user:password@; overrides the settings' 代理; without "
           "either,\n"
           "                        https_proxy, http_proxy and no_proxy of the environment count\n"),
        N_("      --db FILE         record the walk in this history file (default: goods.sqlite beside the\n"
           "                        window's setsoft.ini)\n"),
        N_("      --no-history      do not record the walk\n"),
        N_("      --options-stdin   read more options from standard input, one a line and with \"=\" before "
           "a value\n"
           "                        (--cookie=TEXT, -H=Name: value, --proxy=URL): a command line is readable "
           "by\n"
           "                        every local user, standard input is not (search, watch add, watch "
           "run)\n"),
        N_("zorvane-cli history [--db FILE] [--format tsv|json]\n"
           "  the recorded walks, oldest first: id TAB start time TAB coupon TAB pages TAB goods TAB end\n"),
        N_("zorvane-cli changes [--db FILE] [--format tsv|json] ADDRESS\n"
           "  the goods of the last walk of ADDRESS's coupon (the address without page, s and click) that\n"
           "  found goods, one line per goods item: its lowest price in that walk against the same figure "
           "of\n"
           "  the coupon's last earlier walk that saw it: goodsId TAB name TAB price TAB change (新 never "
           "seen,\n"
           "  降¥x.xx cheaper, 涨¥x.xx dearer, empty unchanged); json: one object per line; when later "
           "walks\n"
           "  found nothing, standard error names the walks compared\n"),
        N_("zorvane-cli watch run [search options] [--min-drop YUAN] [--no-new] ADDRESS\n"
           "zorvane-cli watch run --job KEY\n"
           "  one walk as search makes it (recorded; the goods written only with -o), then the changed "
           "goods in\n"
           "  the format of changes, and one desktop notice when goods got cheaper or are new\n"),
        N_("      --min-drop YUAN   only drops of at least YUAN count for the notice (default 0.01)\n"),
        N_("      --no-new          new goods do not count for the notice\n"),
        N_("      --job KEY         the address and options of the watch KEY\n"),
        N_("  A check of a coupon whose check still runs says so in one line and ends (exit 0); the changes\n"
           "  are those of the walk the check made itself\n"),
        N_("zorvane-cli watch add [--every SPAN] [--replace] [search options] [--min-drop YUAN] [--no-new] "
           "ADDRESS\n"
           "  watch the coupon from its first page: a job file and a systemd user timer that runs watch run\n"
           "  every SPAN\n"),
        N_("      --every SPAN      a systemd time span such as 30min, 6h or 1d, at least 10min (default "
           "6h)\n"),
        N_("      --replace         replace the coupon's watch; without it a watched coupon is a usage "
           "error\n"),
        N_("zorvane-cli watch list [--db FILE] [--format tsv|json]\n"
           "  the watches: key TAB every TAB address TAB last walk time\n"
           "zorvane-cli watch remove KEY\n"
           "  stop the watch KEY and delete its timer, service and job file\n"),
        N_("zorvane-cli extract [options] FILE...\n"
           "  analyse saved result pages without any network (\"-\" = one page from standard input); for "
           "each\n"
           "  goods item, in page order, one line on standard output: by default (tsv) goodsId TAB name TAB\n"
           "  price (\"%.13g\") TAB tagText, UTF-8, LF line ends; tabs and line breaks inside a field "
           "written "
           "as\n"
           "  \\t, \\n, \\r, and a backslash as \\\\\n"),
        N_("  -o, --output FILE     write the goods to FILE (\"-\" = standard output) instead of standard "
           "output\n"),
        N_("      --format F, --encoding E, -q, --quiet   as for search\n"),
        N_("zorvane-cli basket --threshold YUAN --discount YUAN [options] [FILE|-]\n"
           "zorvane-cli basket --threshold YUAN --discount YUAN [options] --coupon ADDRESS [--db FILE]\n"
           "  the cheapest baskets of goods whose total reaches the coupon's threshold (满 YUAN 减 YUAN), "
           "read\n"
           "  from the tsv that search and extract write (FILE, or standard input) or from the last "
           "recorded\n"
           "  walk of ADDRESS's coupon; exact, one basket per total, cheapest total first, fewest pieces "
           "among\n"
           "  equal totals; tsv: rank TAB total TAB pay TAB goodsId TAB name TAB price TAB qty TAB share, "
           "one\n"
           "  line per goods item (share: the item's part of the discount)\n"),
        N_("      --top K           how many baskets, up to 1000 (default 5)\n"),
        N_("      --max-items N     at most N pieces in a basket, up to 1000000 (default 0 = no limit)\n"),
        N_("      --max-each Q      at most Q pieces of one goods item, up to 9999 (default 1)\n"),
        N_("      --must ID         always put this goods item in; repeatable\n"),
        N_("      --exclude ID      never put this goods item in; repeatable\n"),
        N_("      --format F        tsv (default) or json (one object a line per basket)\n"),
        N_("zorvane-cli --version | --help\n"),
        "\n",
        N_("The log goes to standard error. Ctrl-C, SIGTERM (kill, timeout) and SIGHUP stop the walk after "
           "the\n"
           "current page and still write what was gathered; a second one ends the program at once. When the\n"
           "reader of the standard output goes away (-o - | head), the program ends without a word.\n"),
        "\n",
        N_("CSV in GBK and xlsx workbooks are not written to a terminal: choose --format tsv, --encoding "
           "utf-8\n"
           "or a file.\n"),
        "\n",
        N_("Exit status: 0 the walk ended by itself; 3 the walk paused itself (its position is printed);\n"
           "5 the shop asks for a login cookie (--cookie); 6 the coupon has expired;\n"
           "7 a failure that asking again cannot mend (certificate, proxy credentials, proxy address);\n"
           "130 stopped by Ctrl-C, 143 by SIGTERM, 129 by SIGHUP; 141 the standard output's reader went "
           "away;\n"
           "2 usage error; 1 the output file (or an extract input) could not be written (read);\n"
           "4 basket: no basket of the goods reaches the threshold.\n"),
    };
    std::string text;
    for (const char* entry : kEntries)
        text += entry[0] == '\n' ? entry : _(entry);
    return text;
}

} // namespace zorvane::cli
