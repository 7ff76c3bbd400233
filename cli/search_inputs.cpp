#include "cli/search_inputs.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "cli/translation.h"
#include "settings/config_file.h"

namespace zorvane::cli {

namespace fs = std::filesystem;

namespace {

bool readableFile(const std::string& path)
{
    std::error_code ignored;
    return !fs::is_directory(path, ignored) && std::ifstream(path).good();
}

} // namespace

Result<Config> searchConfig(const SearchOptions& options)
{
    Config config;
    if (options.configPath) {
        // A missing file would quietly give the defaults; a typo must not.
        if (!readableFile(*options.configPath))
            return Failure{_("cannot read the settings file ") + *options.configPath};
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
    // Every page would fail its handshake, and the walk would try again for
    // ever: a missing bundle is the command line's fault.
    if (!config.caFile.empty() && !readableFile(config.caFile)) {
        std::string error = _("cannot read the certificate file ") + config.caFile;
        if (options.caFile.empty())
            error += _(" (证书文件 in ") + *options.configPath + ")";
        return Failure{std::move(error)};
    }
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

std::string startRefusal(const SearchStart& start, const SearchOptions& options)
{
    switch (start.field) {
    case InputField::Address:
        return _("not an http or https address: ") + options.address;
    case InputField::Interval:
        return _("--interval: the page interval cannot be negative");
    case InputField::PageLimit:
        return _("--pages: the page limit cannot be negative");
    case InputField::None:
        break;
    }
    return start.message;
}

} // namespace zorvane::cli
