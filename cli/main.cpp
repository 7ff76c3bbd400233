// zorvane-cli: the search walk, the filter, the sort and the export of the
// window, without the window.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/basket_command.h"
#include "cli/cli_options.h"
#include "cli/exit_status.h"
#include "cli/extract_command.h"
#include "cli/history_command.h"
#include "cli/options_stdin.h"
#include "cli/search_command.h"
#include "cli/translation.h"
#include "cli/watch_command.h"
#include "core/config.h"

using namespace zorvane;

namespace {

// A command with its own options: parsed, then run, or its usage error told.
template <typename Parse, typename Run>
int runCommand(const std::vector<std::string>& args, Parse parse, Run run)
{
    const auto options = parse(args);
    if (!options.ok()) {
        std::fprintf(stderr, "zorvane-cli: %s\n", options.error().c_str());
        return cli::kExitUsage;
    }
    return run(options.value());
}

} // namespace

int main(int argc, char** argv)
{
    // A closed pipe on the output is a write error to tell apart, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    cli::setUpTranslation();
    // Secrets may come on standard input instead of the command line.
    const Result<std::vector<std::string>> given =
        cli::withOptionsFromStdin(std::vector<std::string>(argv + 1, argv + argc));
    if (!given.ok()) {
        std::fprintf(stderr, "zorvane-cli: %s\n", given.error().c_str());
        return cli::kExitUsage;
    }
    const std::vector<std::string>& args = *given;
    if (!args.empty() && cli::isHistoryCommand(args.front()))
        return runCommand(args, cli::parseHistoryCommand, [](const auto& history) {
            return cli::runHistoryCommand(history, stdout, stderr);
        });
    if (!args.empty() && cli::isBasketCommand(args.front()))
        return runCommand(args, cli::parseBasketCommand, [](const auto& basket) {
            return cli::runBasketCommand(basket, stdin, stdout, stderr);
        });
    if (!args.empty() && cli::isWatchCommand(args.front()))
        return runCommand(args, cli::parseWatchCommand,
                          [](const auto& watch) { return cli::runWatchCommand(watch, stdout, stderr); });
    const cli::ParseResult parsed = cli::parseCommandLine(args);
    if (!parsed.ok()) {
        std::fprintf(stderr, "zorvane-cli: %s\n", parsed.error().c_str());
        return cli::kExitUsage;
    }
    const cli::CliCommand& command = parsed.value();
    switch (command.action) {
    case cli::CliAction::Help:
        std::fputs(cli::usageText().c_str(), stdout);
        return cli::kExitOk;
    case cli::CliAction::Version:
        std::printf("zorvane-cli %s\n", kProgramVersion);
        return cli::kExitOk;
    case cli::CliAction::Extract:
        return cli::runExtract(command.extract, stdout, stderr);
    case cli::CliAction::Search:
        break;
    }
    return cli::runSearch(command.search, stderr);
}
