#include "cli/cookie_import.h"

#include <ctime>

#include "base/text.h"
#include "browser/cookie_files.h"
#include "cli/translation.h"

namespace zorvane::cli {

namespace {

std::string problemText(const CookieFile& file, const std::string& asked)
{
    switch (file.problem) {
    case CookieFileProblem::Unreadable:
        return _("cannot read the cookie file ") + file.path;
    case CookieFileProblem::TooLarge:
        return file.path + _(" is larger than any cookie file (256 MiB); nothing was sent");
    case CookieFileProblem::NoFirefoxProfile:
        return _("no Firefox profile with cookies found (~/.mozilla/firefox, its snap or flatpak)");
    case CookieFileProblem::Chromium:
        return asked + _(" is a Chromium profile's cookie database, whose values are encrypted; "
                         "export a cookies.txt from the browser and give that");
    case CookieFileProblem::UnknownFormat:
        return asked + _(" is neither a Netscape cookies.txt nor a Firefox cookies.sqlite; nothing was sent");
    case CookieFileProblem::None:
        break;
    }
    return "";
}

} // namespace

Result<ImportedCookie> importSearchCookie(const SearchOptions& options)
{
    if (options.cookiesFile.empty())
        return ImportedCookie{options.cookie, ""};
    const CookieFile file = readCookieFile(options.cookiesFile, homeFolder());
    if (file.problem != CookieFileProblem::None)
        return Failure{problemText(file, options.cookiesFile)};
    const std::string fromFile =
        cookieHeaderFor(file.cookies, trimSpaces(options.address), std::time(nullptr));
    return ImportedCookie{appendTypedCookies(fromFile, options.cookie),
                          cookieImportLogLine(file.path, fromFile)};
}

} // namespace zorvane::cli
