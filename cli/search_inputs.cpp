#include "cli/search_inputs.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "settings/config_file.h"

namespace zorvane::cli {

namespace fs = std::filesystem;

std::optional<Config> searchConfig(const SearchOptions& options, std::string& error)
{
    Config config;
    if (options.configPath) {
        std::error_code ignored;
        // A missing file would quietly give the defaults; a typo must not.
        if (fs::is_directory(*options.configPath, ignored) || !std::ifstream(*options.configPath)) {
            error = "cannot read the settings file " + *options.configPath;
            return std::nullopt;
        }
        config = loadConfig(IniFile::load(*options.configPath));
    }
    if (options.searchHost)
        config.searchHost = *options.searchHost;
    if (options.insecure)
        config.ignoreCertErrors = true;
    if (!options.caFile.empty())
        config.caFile = options.caFile;
    if (!options.proxy.empty())
        config.proxy = options.proxy;
    return config;
}

std::string outputProblem(const std::string& path)
{
    if (path == "-")
        return "";
    std::error_code ignored;
    const fs::path file(path);
    if (fs::is_directory(file, ignored))
        return std::strerror(EISDIR);
    // Devices are written in place; anything else is replaced through a new
    // file in the same directory.
    if (fs::exists(file, ignored) && !fs::is_regular_file(file, ignored))
        return access(path.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
    const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    if (!fs::is_directory(dir, ignored))
        return std::strerror(ENOENT);
    return access(dir.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
}

std::string optionOfField(InputField field)
{
    switch (field) {
    case InputField::Address:
        return "ADDRESS: ";
    case InputField::Interval:
        return "--interval: ";
    case InputField::PageLimit:
        return "--pages: ";
    case InputField::None:
        break;
    }
    return "";
}

} // namespace zorvane::cli
