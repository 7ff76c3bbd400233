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
#include "cli/search_command.h"
#include "cli/translation.h"
#include "cli/watch_command.h"
#include "core/config.h"

using namespace zorvane;

int main(int argc, char** argv)
{
    // A closed pipe on the output is a write error to tell apart, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    cli::setUpTranslation();
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && cli::isHistoryCommand(args.front())) {
        std::string error;
        const std::optional<cli::HistoryOptions> history = cli::parseHistoryCommand(args, error);
        if (!history)
            std::fprintf(stderr, "zorvane-cli: %s\n", error.c_str());
        return history ? cli::runHistoryCommand(*history, stdout, stderr) : cli::kExitUsage;
    }
    if (!args.empty() && cli::isBasketCommand(args.front())) {
        std::string error;
        const std::optional<cli::BasketOptions> basket = cli::parseBasketCommand(args, error);
        if (!basket)
            std::fprintf(stderr, "zorvane-cli: %s\n", error.c_str());
        return basket ? cli::runBasketCommand(*basket, stdin, stdout, stderr) : cli::kExitUsage;
    }
    if (!args.empty() && cli::isWatchCommand(args.front())) {
        std::string error;
        const std::optional<cli::WatchOptions> watch = cli::parseWatchCommand(args, error);
        if (!watch)
            std::fprintf(stderr, "zorvane-cli: %s\n", error.c_str());
        return watch ? cli::runWatchCommand(*watch, stdout, stderr) : cli::kExitUsage;
    }
    const cli::ParseResult parsed = cli::parseCommandLine(args);
    if (!parsed.command) {
        std::fprintf(stderr, "zorvane-cli: %s\n", parsed.error.c_str());
        return cli::kExitUsage;
    }
    const cli::CliCommand& command = *parsed.command;
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
