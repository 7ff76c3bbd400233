// The bash completion and the manual page against the options --help lists.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "base/text.h"
#include "cli/cli_options.h"
#include "cli/exit_status.h"
#include "tests/cli/cli_process.h"

namespace zorvane::test {
namespace {

const std::string kCompletion = std::string(ZORVANE_SOURCE_DIR) + "/cli/zorvane-cli.bash";
const std::string kManualPage = std::string(ZORVANE_SOURCE_DIR) + "/cli/zorvane-cli.1";

// What the completion offers for a command line whose last word is being
// typed, in the directory dir; with the bash-completion package's helpers
// loaded or without them, as bash runs it for the user.
std::vector<std::string> complete(const std::vector<std::string>& words, const std::string& dir, bool helpers)
{
    std::string script = "cd '" + dir + "' || exit 1\n";
    if (helpers)
        script += "source /usr/share/bash-completion/bash_completion || exit 1\n";
    script += "source '" + kCompletion + "' || exit 1\nCOMP_WORDS=(";
    std::string line;
    for (const std::string& word : words) {
        script += "'" + word + "' ";
        line += (line.empty() ? "" : " ") + word;
    }
    script += ")\nCOMP_CWORD=" + std::to_string(words.size() - 1) + "\nCOMP_LINE='" + line +
              "'\nCOMP_POINT=${#COMP_LINE}\n_zorvane_cli\nprintf '%s\\n' \"${COMPREPLY[@]}\" | sort\n";
    writeFileBytes(dir + "/complete.sh", script);
    std::vector<std::string> offered;
    if (std::FILE* pipe = popen(("bash '" + dir + "/complete.sh'").c_str(), "r")) {
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        EXPECT_EQ(pclose(pipe), 0) << out;
        for (const std::string& word : linesOf(out)) {
            if (!word.empty())
                offered.push_back(word);
        }
    }
    return offered;
}

TEST(CliCompletion, OffersCommandsOptionsValuesAndFiles)
{
    ASSERT_EQ(std::system(("bash -n '" + kCompletion + "'").c_str()), 0);
    TempDir dir;
    writeFileBytes(dir.file("page.html"), "");
    writeFileBytes(dir.file("pages.csv"), "");
    struct Case
    {
        std::vector<std::string> words;
        std::vector<std::string> offered; // sorted
    };
    const Case cases[] = {
        {{"zorvane-cli", ""},
         {"--help", "--version", "basket", "changes", "extract", "history", "search", "watch"}},
        {{"zorvane-cli", "basket", "--format", ""}, {"json", "tsv"}},
        {{"zorvane-cli", "basket", "--max-i"}, {"--max-items"}},
        {{"zorvane-cli", "basket", "--top", ""}, {}},
        {{"zorvane-cli", "basket", "--threshold", "299", "pa"}, {"page.html", "pages.csv"}},
        {{"zorvane-cli", "changes", "--d"}, {"--db"}},
        {{"zorvane-cli", "s"}, {"search"}},
        {{"zorvane-cli", "watch", ""}, {"add", "list", "remove", "run"}},
        {{"zorvane-cli", "watch", "add", "--every", ""}, {"1d", "1h", "30min", "6h"}},
        {{"zorvane-cli", "watch", "run", "--no"}, {"--no-new"}},
        {{"zorvane-cli", "search", "--sort", ""}, {"asc", "desc"}},
        {{"zorvane-cli", "search", "-o", "f.csv", "--format", ""}, {"csv", "json", "tsv", "xlsx"}},
        {{"zorvane-cli", "history", "--format", ""}, {"json", "tsv"}},
        {{"zorvane-cli", "changes", "--db", "x", "--format", ""}, {"json", "tsv"}},
        {{"zorvane-cli", "extract", "--encoding", ""}, {"gbk", "utf-8"}},
        {{"zorvane-cli", "extract", "--f"}, {"--format"}},
        {{"zorvane-cli", "search", "--search-h"}, {"--search-host"}},
        {{"zorvane-cli", "search", "-o", "page"}, {"page.html", "pages.csv"}},
        {{"zorvane-cli", "search", "--config", "pages"}, {"pages.csv"}},
        {{"zorvane-cli", "extract", "-q", "pa"}, {"page.html", "pages.csv"}},
        {{"zorvane-cli", "search", "--cookie", ""}, {}},
    };
    for (bool helpers : {false, true}) {
        for (const Case& c : cases) {
            EXPECT_EQ(complete(c.words, dir.path().string(), helpers), c.offered)
                << c.words.back() << (helpers ? " (with bash-completion)" : "");
        }
    }
}

TEST(CliCompletion, EveryOptionOfTheHelpIsCompletedAndInTheManualPage)
{
    TempDir dir;
    const std::vector<std::string> top = complete({"zorvane-cli", ""}, dir.path().string(), false);
    const std::vector<std::string> search =
        complete({"zorvane-cli", "search", "-"}, dir.path().string(), false);
    const std::vector<std::string> basket =
        complete({"zorvane-cli", "basket", "-"}, dir.path().string(), false);
    std::set<std::string> completed(top.begin(), top.end());
    completed.insert(search.begin(), search.end());
    completed.insert(basket.begin(), basket.end());
    for (const char* action : {"run", "add"}) {
        const std::vector<std::string> watch =
            complete({"zorvane-cli", "watch", action, "-"}, dir.path().string(), false);
        completed.insert(watch.begin(), watch.end());
    }
    const std::string manualPage = readFileBytes(kManualPage);

    const std::string help = cli::usageText();
    const std::regex option(R"((^|[\s,])(--?[a-zA-Z][a-z-]*))");
    std::set<std::string> options;
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator(); ++it)
        options.insert((*it)[2]);
    EXPECT_GE(options.size(), 25u);
    for (const std::string& name : options) {
        EXPECT_TRUE(completed.count(name)) << name;
        EXPECT_NE(manualPage.find(replaceAll(name, "-", "\\-")), std::string::npos) << name;
    }
}

// The text of a manual page's section, from its .SH line to the next.
std::string section(const std::string& page, const std::string& name)
{
    const std::size_t start = page.find("\n.SH " + name + "\n");
    const std::size_t end = page.find("\n.SH ", start + 1);
    return start == std::string::npos ? "" : page.substr(start, end - start);
}

TEST(CliCompletion, TheManualPageHasEveryExitStatusSignalAndHistoryColumn)
{
    const std::string manualPage = readFileBytes(kManualPage);
    const std::string exitStatus = section(manualPage, "EXIT STATUS");
    const std::string signals = section(manualPage, "SIGNALS");
    const std::string help = cli::usageText();

    const std::string statusParagraph = help.substr(help.find("Exit status:"));
    const std::regex number(R"(\b\d+\b)");
    std::set<std::string> statuses;
    for (auto it = std::sregex_iterator(statusParagraph.begin(), statusParagraph.end(), number);
         it != std::sregex_iterator(); ++it)
        statuses.insert(it->str());
    EXPECT_GE(statuses.size(), 8u);
    for (const std::string& status : statuses)
        EXPECT_NE(exitStatus.find("\n.B " + status + "\n"), std::string::npos) << status;

    // A signal's exit status is 128 + its number.
    for (int status : {cli::kExitHangUp, cli::kExitInterrupted, cli::kExitTerminated, cli::kExitPipeClosed}) {
        const std::string name = std::string("SIG") + sigabbrev_np(status - 128);
        EXPECT_NE(signals.find(name), std::string::npos) << name;
        EXPECT_NE(signals.find(std::to_string(status)), std::string::npos) << name;
    }

    // The columns of history as --help lists them.
    const std::string columns = "oldest first: ";
    const std::size_t from = help.find(columns) + columns.size();
    const std::string history = manualPage.substr(manualPage.find("\n.B history\n"));
    for (const std::string& column : splitText(help.substr(from, help.find('\n', from) - from), " TAB "))
        EXPECT_NE(history.substr(0, history.find("\n.B changes\n")).find(column + ","), std::string::npos)
            << column;
}

} // namespace
} // namespace zorvane::test
