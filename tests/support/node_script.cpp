#include "tests/support/node_script.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace zorvane::test {

namespace {

std::string nodePath()
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::filesystem::path candidate = std::filesystem::path(rest.substr(0, colon)) / "node";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return {};
}

} // namespace

bool nodeAvailable()
{
    return !nodePath().empty();
}

std::optional<std::string> runNodeScript(const std::string& script, const std::string& input)
{
    const std::string node = nodePath();
    if (node.empty())
        return std::nullopt;
    const TempDir dir;
    writeFileBytes(dir.path() / "script.js", script);
    writeFileBytes(dir.path() / "input", input);
    // The temporary names hold no quote, so single quotes keep them whole.
    const std::string command =
        "'" + node + "' '" + dir.file("script.js") + "' < '" + dir.file("input") + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

} // namespace zorvane::test
