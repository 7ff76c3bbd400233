#include "web/cookie_jar.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

#include <libpsl.h>

#include "base/text.h"
#include "web/cookies.h"
#include "web/url_parts.h"

namespace zorvane {

namespace {

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";

// A name or value that would break the Cookie header it goes into.
bool fitsHeader(std::string_view text)
{
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || c == ';';
    });
}

std::optional<StoredCookie> parseCookieLine(std::string_view line)
{
    bool httpOnly = startsWith(line, kHttpOnlyPrefix);
    if (httpOnly)
        line.remove_prefix(kHttpOnlyPrefix.size());
    std::vector<std::string> fields = splitText(line, "\t");
    // A cookie with an empty value ends in a tab, which the split drops.
    if (fields.size() == 6)
        fields.emplace_back();
    if (fields.size() != 7 || fields[0].empty() || fields[5].empty())
        return std::nullopt;
    StoredCookie cookie;
    cookie.domain = fields[0];
    cookie.hostOnly = toLowerAscii(fields[1]) != "true";
    cookie.path = fields[2].empty() ? "/" : fields[2];
    cookie.secure = toLowerAscii(fields[3]) == "true";
    cookie.expires = std::strtoll(fields[4].c_str(), nullptr, 10);
    cookie.name = fields[5];
    cookie.value = fields[6];
    return checkedCookie(std::move(cookie));
}

bool isIpAddress(std::string_view host)
{
    if (host.find(':') != std::string_view::npos)
        return true; // IPv6
    return !host.empty() && host.find_first_not_of("0123456789.") == std::string_view::npos;
}

// The public suffix list: the system's copy when it is newer than the one
// built into libpsl. Loaded once, read-only afterwards, so threads share it.
const psl_ctx_t* publicSuffixes()
{
    static const psl_ctx_t* const list = [] {
        const psl_ctx_t* latest = psl_latest(nullptr);
        return latest ? latest : psl_builtin();
    }();
    return list;
}

// A domain cookie may go to host (already a name under the domain) unless its
// domain is a public suffix, which would hand it to every shop under that
// suffix. Without a list no domain cookie is trusted.
bool domainMaySetCookies(const std::string& host, const std::string& domain)
{
    const psl_ctx_t* list = publicSuffixes();
    return list && psl_is_cookie_domain_acceptable(list, host.c_str(), domain.c_str()) != 0;
}

} // namespace

std::optional<std::vector<StoredCookie>> parseNetscapeCookies(std::string_view text)
{
    std::vector<StoredCookie> cookies;
    bool header = false;
    for (std::string line : splitText(replaceAll(text, "\r\n", "\n"), "\n")) {
        if (startsWith(line, "# Netscape HTTP Cookie File") || startsWith(line, "# HTTP Cookie File"))
            header = true;
        if (line.empty() || (line.front() == '#' && !startsWith(line, kHttpOnlyPrefix)))
            continue;
        if (std::optional<StoredCookie> cookie = parseCookieLine(line))
            cookies.push_back(std::move(*cookie));
    }
    if (!header && cookies.empty())
        return std::nullopt;
    return cookies;
}

std::optional<StoredCookie> checkedCookie(StoredCookie cookie)
{
    cookie.domain = toLowerAscii(cookie.domain);
    while (!cookie.domain.empty() && cookie.domain.front() == '.') {
        cookie.domain.erase(0, 1);
        cookie.hostOnly = false;
    }
    if (cookie.domain.empty() || cookie.name.empty() || !fitsHeader(cookie.domain) ||
        !fitsHeader(cookie.name) || !fitsHeader(cookie.value))
        return std::nullopt;
    return cookie;
}

bool cookieDomainMatches(std::string_view host, const StoredCookie& cookie)
{
    const std::string lower = toLowerAscii(host);
    if (lower == cookie.domain)
        return true;
    return !cookie.hostOnly && !isIpAddress(lower) && endsWith(lower, "." + cookie.domain) &&
           domainMaySetCookies(lower, cookie.domain);
}

bool cookiePathMatches(std::string_view requestPath, std::string_view cookiePath)
{
    if (requestPath.empty() || requestPath.front() != '/')
        requestPath = "/";
    if (!startsWith(requestPath, cookiePath))
        return false;
    return requestPath.size() == cookiePath.size() || endsWith(cookiePath, "/") ||
           requestPath[cookiePath.size()] == '/';
}

std::string cookieHeaderFor(const std::vector<StoredCookie>& cookies, std::string_view url, std::int64_t now)
{
    const std::optional<UrlParts> target = splitUrl(url);
    if (!target)
        return {};
    const std::string host = bareHost(target->host);
    const bool https = target->scheme == "https";
    std::vector<const StoredCookie*> sent;
    for (const StoredCookie& cookie : cookies) {
        if ((cookie.expires == 0 || cookie.expires > now) && (!cookie.secure || https) &&
            cookieDomainMatches(host, cookie) && cookiePathMatches(target->path, cookie.path))
            sent.push_back(&cookie);
    }
    std::stable_sort(sent.begin(), sent.end(), [](const StoredCookie* a, const StoredCookie* b) {
        return a->path.size() > b->path.size();
    });
    std::string header;
    for (const StoredCookie* cookie : sent) {
        if (!header.empty())
            header += "; ";
        header += cookie->name + "=" + cookie->value;
    }
    return header;
}

std::string appendTypedCookies(std::string_view imported, std::string_view typed)
{
    const std::string typedText = trimSpaces(joinCookieLines(typed));
    std::unordered_set<std::string> typedNames;
    for (const std::string& entry : splitText(typedText, ";"))
        typedNames.insert(cookieEntryName(entry));
    std::string joined;
    for (const std::string& entry : splitText(imported, ";")) {
        if (trimSpaces(entry).empty() || typedNames.count(cookieEntryName(entry)))
            continue;
        joined += joined.empty() ? "" : "; ";
        joined += trimSpaces(entry);
    }
    if (!typedText.empty())
        joined += (joined.empty() ? "" : "; ") + typedText;
    return joined;
}

} // namespace zorvane
