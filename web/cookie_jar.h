#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Cookies as a browser keeps them, and the ones a request would carry.
namespace zorvane {

struct StoredCookie
{
    std::string domain;   // lower case, without a leading dot
    bool hostOnly = true; // false: the domain's subdomains get it too
    std::string path = "/";
    bool secure = false;      // only over https
    std::int64_t expires = 0; // Unix seconds; 0 = until the browser closes
    std::string name;
    std::string value;
};

// The cookies of a Netscape cookies.txt (curl, wget and browser extensions
// write it): one cookie a line, seven tab-separated fields, "#HttpOnly_"
// before the domain of HttpOnly cookies, other "#" lines comments. Nothing
// when the text is not in that form: neither its header line nor any
// cookie line.
std::optional<std::vector<StoredCookie>> parseNetscapeCookies(std::string_view text);

// A cookie as a browser's file gave it, made fit to keep: the domain in lower
// case without its leading dots (a leading dot makes it a domain cookie).
// Nothing when the domain or the name is empty, or when the name or value
// holds a byte that would break the Cookie header (a control byte, NUL, ";"):
// every file format goes through this one check.
std::optional<StoredCookie> checkedCookie(StoredCookie cookie);

// RFC 6265 5.1.3: the host is the domain, or (for a domain cookie, host not
// an IP address) a name under it; RFC 6265 5.3 step 5: a domain cookie whose
// domain is a public suffix ("com", "com.cn") goes to no other host.
bool cookieDomainMatches(std::string_view host, const StoredCookie& cookie);

// RFC 6265 5.1.4: the cookie's path is the request's path or a folder of it.
bool cookiePathMatches(std::string_view requestPath, std::string_view cookiePath);

// "name=value; …" of the cookies a request to url carries at time now (Unix
// seconds): domain and path match, secure ones only over https, none
// expired; longer paths first, otherwise in the order given.
std::string cookieHeaderFor(const std::vector<StoredCookie>& cookies, std::string_view url, std::int64_t now);

// The imported cookie text followed by the typed one; a name in both keeps
// the typed value only.
std::string appendTypedCookies(std::string_view imported, std::string_view typed);

} // namespace zorvane
