#pragma once

#include <string>
#include <string_view>

namespace zorvane {

// The folder of Firefox's default profile under the home folder, from the
// profiles.ini of the usual install, the snap or the flatpak (in that
// order): the profile the install uses, else the one marked Default=1, else
// the only one. "" when none is found.
std::string defaultFirefoxProfile(const std::string& home);

// The profile folder named by a profiles.ini text whose folder is root; ""
// when the text names none.
std::string profileFromIni(std::string_view iniText, const std::string& root);

} // namespace zorvane
