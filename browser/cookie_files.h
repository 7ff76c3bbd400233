#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "web/cookie_jar.h"

namespace zorvane {

// Why no cookies could be read.
enum class CookieFileProblem
{
    None,
    Unreadable,       // the file cannot be opened or read
    TooLarge,         // more than kMostCookieFileBytes: no browser writes so many cookies
    NoFirefoxProfile, // "firefox" was asked for, and no profile has cookies
    Chromium,         // a Chromium profile's database: its values are encrypted
    UnknownFormat,    // neither a cookies.txt nor a Firefox cookies.sqlite
};

struct CookieFile
{
    CookieFileProblem problem = CookieFileProblem::None;
    std::string path; // the file read: for "firefox", the profile's cookies.sqlite
    std::vector<StoredCookie> cookies;
};

// The largest cookie file read (with a Firefox database's write-ahead log).
inline constexpr std::size_t kMostCookieFileBytes = std::size_t{256} << 20;

// The word that stands for the default Firefox profile instead of a file.
inline constexpr const char* kFirefoxProfile = "firefox";

// Reads a Netscape cookies.txt or a Firefox cookies.sqlite (from a copy, as
// Firefox keeps the file locked); for "firefox", the default profile's under
// home. The format is told by the content, not the name.
CookieFile readCookieFile(const std::string& pathOrFirefox, const std::string& home);

// The home folder ($HOME).
std::string homeFolder();

// The log line of an import that gave the cookie text (see cookieHeaderFor):
// "已从"<path>"导入<n>个Cookie".
std::string cookieImportLogLine(const std::string& path, const std::string& cookieText);

// The warning of an import that gave no cookie for the address:
// "<path>中没有发往<host>的Cookie，未导入Cookie".
std::string noCookieForAddress(const std::string& path, const std::string& address);

} // namespace zorvane
