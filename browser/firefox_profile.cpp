#include "browser/firefox_profile.h"

#include <filesystem>
#include <map>
#include <vector>

#include "base/file_read.h"
#include "base/text.h"

namespace zorvane {

namespace {

namespace fs = std::filesystem;

using Section = std::map<std::string, std::string>;

// The sections in file order, each with its name under the key "".
std::vector<Section> readSections(std::string_view text)
{
    std::vector<Section> sections;
    for (const std::string& raw : splitText(replaceAll(text, "\r\n", "\n"), "\n")) {
        const std::string line = trimSpaces(raw);
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            sections.push_back({{"", line.substr(1, line.size() - 2)}});
        } else if (const std::size_t eq = line.find('='); eq != std::string::npos && !sections.empty()) {
            sections.back()[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return sections;
}

std::string valueOf(const Section& section, const std::string& key)
{
    auto it = section.find(key);
    return it == section.end() ? std::string() : it->second;
}

std::string profileFolder(const std::string& path, bool relative, const std::string& root)
{
    return relative ? (fs::path(root) / path).string() : path;
}

} // namespace

std::string profileFromIni(std::string_view iniText, const std::string& root)
{
    const std::vector<Section> sections = readSections(iniText);
    // Since Firefox 67 each install names the profile it starts with.
    for (const Section& section : sections) {
        const std::string path = valueOf(section, "Default");
        if (startsWith(valueOf(section, ""), "Install") && !path.empty())
            return profileFolder(path, !fs::path(path).is_absolute(), root);
    }
    const Section* only = nullptr;
    int profiles = 0;
    for (const Section& section : sections) {
        if (!startsWith(valueOf(section, ""), "Profile") || valueOf(section, "Path").empty())
            continue;
        ++profiles;
        only = &section;
        if (valueOf(section, "Default") == "1")
            break;
    }
    if (!only || (profiles > 1 && valueOf(*only, "Default") != "1"))
        return {};
    return profileFolder(valueOf(*only, "Path"), valueOf(*only, "IsRelative") != "0", root);
}

std::string defaultFirefoxProfile(const std::string& home)
{
    // A profiles.ini lists a few profiles in a few hundred bytes.
    constexpr std::size_t kMostProfilesIniBytes = std::size_t{1} << 20;
    const char* const roots[] = {".mozilla/firefox", "snap/firefox/common/.mozilla/firefox",
                                 ".var/app/org.mozilla.firefox/.mozilla/firefox"};
    if (home.empty())
        return {}; // the places below would be read relative to the working folder
    std::string text;
    for (const char* root : roots) {
        const fs::path folder = fs::path(home) / root;
        if (readWholeFile((folder / "profiles.ini").string(), text, kMostProfilesIniBytes) !=
            ReadOutcome::Read)
            continue;
        if (std::string profile = profileFromIni(text, folder.string()); !profile.empty())
            return profile;
    }
    return {};
}

} // namespace zorvane
