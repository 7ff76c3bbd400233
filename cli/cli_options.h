#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "goods/goods_formats.h"

namespace zorvane::cli {

// How the goods are written, for search and extract alike. What is not given
// depends on where the goods go (see resolveOutput).
struct OutputOptions
{
    std::optional<GoodsFormat> format;
    std::optional<CsvEncoding> encoding;
    bool quiet = false; // standard error keeps failures only
};

// The options of "search", checked for form only: what the window's start
// refuses (a negative interval or page limit) is left to the same check.
struct SearchOptions
{
    std::string address;
    std::string interval = "1000"; // whole number as typed
    std::string pages = "0";       // whole number as typed
    std::string retries = "0";     // failures of one page before the walk pauses itself, 0 = no limit
    std::string cookie;
    std::string cookiesFile;          // --cookies: a cookies.txt, a Firefox cookies.sqlite or "firefox"
    std::vector<std::string> headers; // "Name: value" lines
    std::optional<std::string> minPrice;
    std::optional<std::string> maxPrice;
    std::vector<std::string> tags;
    std::optional<bool> sortAscending;
    std::optional<std::string> csvPath; // -o, in any format; "-" = standard output
    std::optional<std::string> configPath;
    std::optional<std::string> searchHost;
    bool insecure = false;
    std::string caFile;     // --cacert (or --ca-file): trust just this PEM bundle
    std::string proxy;      // --proxy URL, "" = the settings' 代理 or the environment's
    std::string historyDb;  // --db: the history file, "" = the window's
    bool noHistory = false; // --no-history: the walk is not recorded
    OutputOptions output;
    bool goodsWithoutFile = true; // false: the goods are written only with -o
};

struct ExtractOptions
{
    std::vector<std::string> files;        // "-" = one page from standard input
    std::optional<std::string> outputPath; // -o; "-" = standard output
    OutputOptions output;
};

enum class CliAction
{
    Help,
    Version,
    Search,
    Extract
};

struct CliCommand
{
    CliAction action = CliAction::Help;
    SearchOptions search;   // for search
    ExtractOptions extract; // for extract
};

// A parsed command, or the one-line reason it was refused.
using ParseResult = Result<CliCommand>;

// Reads the arguments after the program name. Options may stand before or
// after the operands; "--" ends them; "--name=value" and "-iVALUE" work too.
ParseResult parseCommandLine(const std::vector<std::string>& args);

// The extra header lines as the window's header box holds them: one per line,
// joined with CR LF.
std::string joinHeaderLines(const std::vector<std::string>& lines);

// The text of --help.
std::string usageText();

} // namespace zorvane::cli
