#include "browser/cookie_files.h"

#include <cstdlib>
#include <filesystem>

#include "base/file_read.h"
#include "base/text.h"
#include "browser/firefox_cookies.h"
#include "browser/firefox_profile.h"
#include "web/url_parts.h"

namespace zorvane {

namespace {

// What copying a Firefox database takes: the file and its write-ahead log.
std::uintmax_t sqliteBytes(const std::string& path)
{
    std::uintmax_t bytes = 0;
    for (const std::string& part : {path, path + "-wal"}) {
        std::error_code absent;
        const std::uintmax_t size = std::filesystem::file_size(part, absent);
        bytes += absent ? 0 : size;
    }
    return bytes;
}

} // namespace

CookieFile readCookieFile(const std::string& pathOrFirefox, const std::string& home)
{
    CookieFile file;
    file.path = pathOrFirefox;
    if (pathOrFirefox == kFirefoxProfile) {
        const std::string profile = defaultFirefoxProfile(home);
        file.path =
            profile.empty() ? std::string() : (std::filesystem::path(profile) / "cookies.sqlite").string();
        std::error_code ignored;
        if (file.path.empty() || !std::filesystem::is_regular_file(file.path, ignored)) {
            file.problem = CookieFileProblem::NoFirefoxProfile;
            return file;
        }
    }
    if (isSqliteFile(file.path)) {
        if (sqliteBytes(file.path) > kMostCookieFileBytes) {
            file.problem = CookieFileProblem::TooLarge;
            return file;
        }
        return readSqliteCookies(file.path);
    }
    std::string text;
    if (const ReadOutcome read = readWholeFile(file.path, text, kMostCookieFileBytes);
        read != ReadOutcome::Read) {
        file.problem =
            read == ReadOutcome::TooLarge ? CookieFileProblem::TooLarge : CookieFileProblem::Unreadable;
        return file;
    }
    if (std::optional<std::vector<StoredCookie>> cookies = parseNetscapeCookies(text))
        file.cookies = std::move(*cookies);
    else
        file.problem = CookieFileProblem::UnknownFormat;
    return file;
}

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::string cookieImportLogLine(const std::string& path, const std::string& cookieText)
{
    const std::size_t count = cookieText.empty() ? 0 : splitText(cookieText, "; ").size();
    return "已从\"" + path + "\"导入" + std::to_string(count) + "个Cookie";
}

std::string noCookieForAddress(const std::string& path, const std::string& address)
{
    const std::optional<UrlParts> url = splitUrl(address);
    const std::string host = url ? bareHost(url->host) : address;
    return "\"" + path + "\"中没有发往" + host + "的Cookie，未导入Cookie";
}

} // namespace zorvane
