#include "settings/settings_file.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/config.h"

namespace zorvane {

namespace {

constexpr std::string_view kFileName = "setsoft.ini";

std::string joinPath(std::string dir, std::string_view name)
{
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir + std::string(name);
}

bool makeDirectories(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return std::filesystem::is_directory(dir, ec);
}

// A directory's permission bits do not tell whether a write will work (read-only
// mounts, ACLs, root), so try one.
bool canWriteIn(const std::string& dir)
{
    static std::atomic<unsigned> counter{0};
    std::string probe =
        joinPath(dir, ".write-probe-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool written = ::write(fd, "x", 1) == 1;
    bool closed = ::close(fd) == 0;
    ::unlink(probe.c_str());
    return written && closed;
}

bool isReadableFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && ::access(path.c_str(), R_OK) == 0;
}

// The fallback file begins as a copy of the program directory's file, so its
// saved inputs and its [配置] section carry over. Nothing when that failed.
bool startFrom(const std::string& source, const std::string& target)
{
    std::error_code ec;
    return std::filesystem::copy_file(source, target, ec);
}

// $XDG_CONFIG_HOME/zorvane/data (only an absolute $XDG_CONFIG_HOME counts),
// else $HOME/.config/zorvane/data; "" without either.
std::string userDataDir(const char* xdgConfigHome, const char* home)
{
    std::string configHome;
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        configHome = xdgConfigHome;
    else if (home && home[0] != '\0')
        configHome = joinPath(home, ".config");
    return configHome.empty() ? "" : joinPath(joinPath(configHome, "zorvane"), "data");
}

// The decoded value, or nothing for a missing or empty one.
template <typename Decode>
auto loadDecoded(const IniFile& ini, std::string_view section, std::string_view name, Decode decode)
    -> std::optional<decltype(decode(std::string_view()))>
{
    std::optional<std::string> value = ini.value(section, name);
    if (!value || value->empty())
        return std::nullopt;
    return decode(*value);
}

bool saveValue(IniFile& ini, std::string_view section, std::string_view name, const std::string& value,
               std::string_view exclusions)
{
    return !isExcluded(name, exclusions) && ini.setValue(section, name, value);
}

} // namespace

bool isInstalledProgram(const std::string& exeDir)
{
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::path(exeDir).lexically_normal();
    const std::filesystem::path bin = dir.has_filename() ? dir : dir.parent_path();
    return bin.filename() == "bin" &&
           std::filesystem::is_directory(bin.parent_path() / "share" / "zorvane", ec);
}

std::string settingsFilePath(const std::string& exeDir, const char* xdgConfigHome, const char* home)
{
    std::string dataDir = joinPath(exeDir, "data");
    if (!isInstalledProgram(exeDir) && makeDirectories(dataDir) && canWriteIn(dataDir))
        return joinPath(dataDir, kFileName);

    const std::string fallbackDir = userDataDir(xdgConfigHome, home);
    if (fallbackDir.empty())
        return joinPath(dataDir, kFileName); // nowhere better: saving will quietly fail
    const std::string programFile = joinPath(dataDir, kFileName);
    const std::string fallback = joinPath(fallbackDir, kFileName);
    std::error_code ec;
    const bool fallbackExists = std::filesystem::exists(std::filesystem::symlink_status(fallback, ec));
    const bool madeDir = makeDirectories(fallbackDir);
    if (fallbackExists || !isReadableFile(programFile) || (madeDir && startFrom(programFile, fallback)))
        return fallback;
    return programFile; // read where it is; saving will quietly fail
}

std::string existingSettingsFilePath(const std::string& exeDir, const char* xdgConfigHome, const char* home)
{
    std::error_code ec;
    const std::string dataDir = joinPath(exeDir, "data");
    const bool hasDataDir = std::filesystem::is_directory(dataDir, ec);
    if (!isInstalledProgram(exeDir)) {
        if (hasDataDir && canWriteIn(dataDir))
            return joinPath(dataDir, kFileName);
        if (!hasDataDir && canWriteIn(exeDir))
            return ""; // it would be made here, so nothing was kept yet
    }
    const std::string fallbackDir = userDataDir(xdgConfigHome, home);
    if (fallbackDir.empty())
        return hasDataDir ? joinPath(dataDir, kFileName) : "";
    return std::filesystem::is_directory(fallbackDir, ec) ? joinPath(fallbackDir, kFileName) : "";
}

std::string historyFilePath(const std::string& settingsPath)
{
    return (std::filesystem::path(settingsPath).parent_path() / "goods.sqlite").string();
}

std::optional<std::string> loadEditBox(const IniFile& ini, std::string_view name)
{
    return loadDecoded(ini, kEditBoxSection, name, decodeEditText);
}

std::optional<bool> loadCheckBox(const IniFile& ini, std::string_view name)
{
    return loadDecoded(ini, kCheckBoxSection, name, decodeTicked);
}

std::optional<bool> loadRadioButton(const IniFile& ini, std::string_view name)
{
    return loadDecoded(ini, kRadioButtonSection, name, decodeTicked);
}

std::optional<ComboState> loadComboBox(const IniFile& ini, std::string_view name)
{
    return loadDecoded(ini, kComboBoxSection, name, decodeCombo);
}

DateTime loadDateBox(const IniFile& ini, std::string_view name)
{
    return decodeDate(ini.value(kDateBoxSection, name).value_or(""));
}

bool holdsSecret(const IniFile& ini)
{
    const std::string proxy = ini.value(kConfigSection, "代理").value_or("");
    return !loadEditBox(ini, kCookieBoxName).value_or("").empty() || proxy.find('@') != std::string::npos;
}

SettingsWrite writeSettingsFile(const IniFile& ini, const std::string& path)
{
    SettingsWrite write;
    if (holdsSecret(ini)) {
        struct stat info
        {
        };
        // The replacement keeps the mode of the file it replaces, so the
        // secret never sits in a file others may read, not even for a moment.
        if (::stat(path.c_str(), &info) != 0) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0)
                ::close(fd);
        } else if (S_ISREG(info.st_mode) && (info.st_mode & 077) != 0) {
            write.tightened = ::chmod(path.c_str(), info.st_mode & 0700) == 0;
        }
    }
    write.result = ini.write(path);
    return write;
}

bool saveEditBox(IniFile& ini, std::string_view name, std::string_view text, std::string_view exclusions)
{
    return saveValue(ini, kEditBoxSection, name, encodeEditText(text), exclusions);
}

bool saveCheckBox(IniFile& ini, std::string_view name, bool ticked, std::string_view exclusions)
{
    return saveValue(ini, kCheckBoxSection, name, encodeTicked(ticked), exclusions);
}

bool saveRadioButton(IniFile& ini, std::string_view name, bool selected, std::string_view exclusions)
{
    return saveValue(ini, kRadioButtonSection, name, encodeTicked(selected), exclusions);
}

bool saveComboBox(IniFile& ini, std::string_view name, const ComboState& combo, std::string_view exclusions)
{
    return saveValue(ini, kComboBoxSection, name, encodeCombo(combo), exclusions);
}

bool saveDateBox(IniFile& ini, std::string_view name, const DateTime& date, std::string_view exclusions)
{
    return saveValue(ini, kDateBoxSection, name, encodeDate(date), exclusions);
}

} // namespace zorvane
