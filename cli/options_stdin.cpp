#include "cli/options_stdin.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/file_read.h"
#include "cli/translation.h"

namespace zorvane::cli {

namespace {

bool readsOptionsFromStdin(const std::vector<std::string>& args)
{
    if (args.empty())
        return false;
    return args[0] == "search" ||
           (args[0] == "watch" && args.size() > 1 && (args[1] == "add" || args[1] == "run"));
}

} // namespace

Result<std::vector<std::string>> optionLines(std::string_view text)
{
    if (text.size() > kOptionsStdinLimit)
        return Failure{_("--options-stdin: the standard input holds more than 4 MiB")};
    if (text.find('\0') != std::string_view::npos)
        return Failure{_("--options-stdin: the standard input holds a NUL byte")};
    std::vector<std::string> options;
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const bool option =
            line.size() > 1 && line[0] == '-' && line != "--" && line.rfind(kOptionsStdin, 0) != 0;
        if (!option)
            return Failure{fillIn(_("--options-stdin: line %s is no option such as --cookie=TEXT"),
                                  std::to_string(number))};
        // "-H=Name: value" reads as "--header=Name: value" does.
        if (line[1] != '-' && line.size() > 2 && line[2] == '=')
            line.erase(2, 1);
        options.push_back(std::move(line));
    }
    return options;
}

Result<std::vector<std::string>> withOptionsFromStdin(const std::vector<std::string>& args)
{
    const auto optionsEnd = std::find(args.begin(), args.end(), "--");
    const auto found = std::find(args.begin(), optionsEnd, kOptionsStdin);
    if (found == optionsEnd || !readsOptionsFromStdin(args))
        return args;
    if (std::find(found + 1, optionsEnd, kOptionsStdin) != optionsEnd)
        return Failure{_("--options-stdin can be given once")};
    std::string text;
    const ReadOutcome input = readWholeStream(stdin, text, kOptionsStdinLimit);
    if (input == ReadOutcome::TooLarge)
        return Failure{_("--options-stdin: the standard input holds more than 4 MiB")};
    if (input != ReadOutcome::Read)
        return Failure{_("--options-stdin: cannot read the standard input: ") +
                       std::string(std::strerror(errno))};
    const Result<std::vector<std::string>> read = optionLines(text);
    if (!read.ok())
        return Failure{read.error()};
    std::vector<std::string> expanded(args.begin(), found);
    expanded.insert(expanded.end(), read->begin(), read->end());
    expanded.insert(expanded.end(), found + 1, args.end());
    return expanded;
}

} // namespace zorvane::cli
