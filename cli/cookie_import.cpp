#include "cli/cookie_import.h"

#include <ctime>

#include "base/text.h"
#include "browser/cookie_files.h"
#include "cli/translation.h"
#include "web/url_parts.h"

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

std::string hostOf(const std::string& address)
{
    const std::optional<UrlParts> url = splitUrl(address);
    return url ? bareHost(url->host) : address;
}

} // namespace

Result<ImportedCookie> importSearchCookie(const SearchOptions& options)
{
    if (options.cookiesFile.empty())
        return ImportedCookie{options.cookie, "", ""};
    const CookieFile file = readCookieFile(options.cookiesFile, homeFolder());
    if (file.problem != CookieFileProblem::None)
        return Failure{problemText(file, options.cookiesFile)};
    const std::string fromFile =
        cookieHeaderFor(file.cookies, trimSpaces(options.address), std::time(nullptr));
    ImportedCookie imported{appendTypedCookies(fromFile, options.cookie),
                            cookieImportLogLine(file.path, fromFile), ""};
    // Another profile's or another site's file: said even when quiet, as the
    // walk would meet the login page the user meant to pass.
    if (fromFile.empty())
        imported.warning = file.path + _(" has no cookie for the address's host ") +
                           hostOf(trimSpaces(options.address)) + _("; the search goes on without it");
    return imported;
}

} // namespace zorvane::cli
