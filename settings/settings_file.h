#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/control_values.h"
#include "settings/ini_file.h"

// The settings file: one section per control kind, one key per control,
// named after the control.
namespace zorvane {

inline constexpr std::string_view kEditBoxSection = "编辑框";
inline constexpr std::string_view kCheckBoxSection = "选择框";
inline constexpr std::string_view kRadioButtonSection = "单选框";
inline constexpr std::string_view kComboBoxSection = "组合框";
inline constexpr std::string_view kDateBoxSection = "日期框";

// Edit boxes never saved: the log is output, not input.
inline constexpr std::string_view kEditBoxExclusions = "编辑框_日志";

// True for a program run from an install prefix: its directory is named
// "bin" and ../share/zorvane beside it exists. Such a program never keeps
// settings beside itself.
bool isInstalledProgram(const std::string& exeDir);

// exeDir + "/data/setsoft.ini", creating the data directory (with parents)
// when missing. When the program's directory cannot take it (the directory
// cannot be created or written, or the program is installed), the file lives in
// $XDG_CONFIG_HOME/zorvane/data (only an absolute $XDG_CONFIG_HOME counts),
// else in $HOME/.config/zorvane/data; that directory is created too. A
// readable file in the program's directory is never lost: when the fallback
// file does not exist yet it starts as a copy of it, and when no copy can be
// made the program's file itself is read (and saving to it fails).
std::string settingsFilePath(const std::string& exeDir,
                             const char* xdgConfigHome = std::getenv("XDG_CONFIG_HOME"),
                             const char* home = std::getenv("HOME"));

// The file settingsFilePath chooses, found without creating or copying
// anything, for readers that must leave no trace where the program has not
// kept anything yet; "" when its folder does not exist.
std::string existingSettingsFilePath(const std::string& exeDir,
                                     const char* xdgConfigHome = std::getenv("XDG_CONFIG_HOME"),
                                     const char* home = std::getenv("HOME"));

// The goods history file the program keeps beside its settings file:
// goods.sqlite in the folder of settingsPath.
std::string historyFilePath(const std::string& settingsPath);

// The window's Cookie box, whose saved value is the login cookie.
inline constexpr std::string_view kCookieBoxName = "编辑框_参数_COOKIE";

// True when the settings hold a secret: the login cookie, or a proxy address
// with credentials.
bool holdsSecret(const IniFile& ini);

// How a write of the settings file went.
struct SettingsWrite
{
    FileWriteResult result;
    bool tightened = false; // an existing file others could read was made private first
};

// Writes the settings file. A file holding a secret is private (0600), as a
// watch's job file is: a new one is made so, and an existing one that others
// may read is tightened before the secret goes in.
SettingsWrite writeSettingsFile(const IniFile& ini, const std::string& path);

// Loaders: what to apply to the control, or nothing when it keeps its state
// (the key is missing or empty).
std::optional<std::string> loadEditBox(const IniFile& ini, std::string_view name);
std::optional<bool> loadCheckBox(const IniFile& ini, std::string_view name);
std::optional<bool> loadRadioButton(const IniFile& ini, std::string_view name);
std::optional<ComboState> loadComboBox(const IniFile& ini, std::string_view name);

// A date box is always set: a missing or unreadable value gives 100-01-01.
DateTime loadDateBox(const IniFile& ini, std::string_view name);

// Savers: write the control's value under its name unless the name is
// excluded; true when written. An empty edit box is written as an empty value.
bool saveEditBox(IniFile& ini, std::string_view name, std::string_view text,
                 std::string_view exclusions = kEditBoxExclusions);
bool saveCheckBox(IniFile& ini, std::string_view name, bool ticked, std::string_view exclusions = {});
bool saveRadioButton(IniFile& ini, std::string_view name, bool selected, std::string_view exclusions = {});
bool saveComboBox(IniFile& ini, std::string_view name, const ComboState& combo,
                  std::string_view exclusions = {});
bool saveDateBox(IniFile& ini, std::string_view name, const DateTime& date, std::string_view exclusions = {});

} // namespace zorvane
