#include "web/proxy_setting.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <arpa/inet.h>

#include "base/text.h"
#include "web/http_request.h"
#include "web/url_parts.h"

namespace zorvane {

namespace {

bool isProxyScheme(std::string_view scheme)
{
    return scheme == "http" || scheme == "https" || scheme == "socks5" || scheme == "socks5h";
}

// An IP address's bytes (4 or 16), nothing for a name.
std::optional<std::vector<unsigned char>> ipBytes(const std::string& text)
{
    unsigned char bytes[16] = {};
    if (::inet_pton(AF_INET, text.c_str(), bytes) == 1)
        return std::vector<unsigned char>(bytes, bytes + 4);
    if (::inet_pton(AF_INET6, text.c_str(), bytes) == 1)
        return std::vector<unsigned char>(bytes, bytes + 16);
    return std::nullopt;
}

// An IP host against an entry "address" or "address/bits" (CIDR), as libcurl
// reads it: no bits or 0 compare the whole address, too many match nothing.
bool ipMatches(const std::vector<unsigned char>& host, const std::string& entry)
{
    const std::size_t slash = entry.find('/');
    const std::optional<std::vector<unsigned char>> network = ipBytes(entry.substr(0, slash));
    if (!network || network->size() != host.size())
        return false;
    const std::size_t width = host.size() * 8;
    std::size_t bits = width;
    if (slash != std::string::npos) {
        bits = static_cast<std::size_t>(std::strtoul(entry.c_str() + slash + 1, nullptr, 10));
        if (bits > width)
            return false;
        if (bits == 0)
            bits = width;
    }
    for (std::size_t i = 0; i < host.size() && bits > 0; ++i, bits -= std::min<std::size_t>(bits, 8)) {
        const unsigned mask = bits >= 8 ? 0xFFu : (0xFFu << (8 - bits)) & 0xFFu;
        if (((host[i] ^ (*network)[i]) & mask) != 0)
            return false;
    }
    return true;
}

// A host in the no_proxy list, as libcurl matches it: "*" is every host; an
// IP address matches an entry of the same address or a CIDR range holding
// it; a name matches an entry that is the name itself or a domain it is
// under (a leading dot on the entry, a trailing one on the name and letter
// case change nothing).
bool bypassesProxy(std::string_view noProxy, std::string_view hostText)
{
    if (trimSpaces(noProxy) == "*")
        return true;
    std::string host = bareHost(hostText);
    const std::optional<std::vector<unsigned char>> ip = ipBytes(host);
    if (!ip && !host.empty() && host.back() == '.')
        host.pop_back();
    for (std::string entry : splitText(replaceAll(replaceAll(noProxy, "\t", ","), " ", ","), ",")) {
        if (ip) {
            if (!entry.empty() && ipMatches(*ip, bareHost(entry)))
                return true;
            continue;
        }
        entry = toLowerAscii(entry);
        if (!entry.empty() && entry.front() == '.')
            entry.erase(0, 1);
        if (!entry.empty() && (host == entry || endsWith(host, "." + entry)))
            return true;
    }
    return false;
}

// The first of the variables that is set and not empty.
std::optional<std::pair<std::string, std::string>> firstSet(std::initializer_list<const char*> names,
                                                            const EnvironmentLookup& environment)
{
    for (const char* name : names) {
        if (std::optional<std::string> value = environment(name); value && !value->empty())
            return std::make_pair(std::string(name), *value);
    }
    return std::nullopt;
}

} // namespace

std::optional<ProxySetting> parseProxyUrl(std::string_view text)
{
    const std::string trimmed = trimSpaces(text);
    if (trimmed.empty() || trimmed.find_first_of(" \t\r\n") != std::string::npos)
        return std::nullopt;
    std::optional<UrlParts> url = splitUrl(trimmed, true);
    if (!url || !isProxyScheme(url->scheme) || url->host.empty() ||
        (url->path != "/" && !url->path.empty()) || !url->query.empty())
        return std::nullopt;
    ProxySetting setting;
    setting.address = url->scheme + "://" + url->host + (url->port.empty() ? "" : ":" + url->port);
    setting.user = url->user;
    setting.password = url->password;
    return setting;
}

std::string hidePassword(std::string_view proxyText)
{
    // A user name alone is often the whole secret (a token), and a text that
    // is no address may still hold one: whatever stands before the last "@"
    // after the scheme goes.
    const std::size_t at = proxyText.rfind('@');
    if (at == std::string_view::npos)
        return std::string(proxyText);
    const std::size_t schemeEnd = proxyText.substr(0, at).find("://");
    const std::size_t from = schemeEnd == std::string_view::npos ? 0 : schemeEnd + 3;
    return std::string(proxyText.substr(0, from)) + "***" + std::string(proxyText.substr(at));
}

std::optional<std::string> processEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

ProxyChoice chooseProxy(std::string_view configured, std::string_view url,
                        const EnvironmentLookup& environment)
{
    ProxyChoice choice;
    if (!trimSpaces(configured).empty()) {
        choice.source = ProxySource::Setting;
        choice.text = trimSpaces(configured);
        choice.proxy = parseProxyUrl(choice.text);
        return choice;
    }
    const std::optional<UrlParts> target = splitUrl(url);
    if (!target)
        return choice;
    if (auto noProxy = firstSet({"no_proxy", "NO_PROXY"}, environment);
        noProxy && bypassesProxy(noProxy->second, target->host))
        return choice;
    // Upper-case HTTP_PROXY is left alone: a web server's CGI scripts get the
    // client's "Proxy:" header under that name.
    auto found = target->scheme == "https"
                     ? firstSet({"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}, environment)
                     : firstSet({"http_proxy", "all_proxy", "ALL_PROXY"}, environment);
    if (!found)
        return choice;
    choice.source = ProxySource::Environment;
    choice.variable = found->first;
    choice.text = trimSpaces(found->second);
    choice.proxy = parseProxyUrl(choice.text);
    return choice;
}

bool applyProxy(HttpRequest& request, const ProxyChoice& choice)
{
    if (!choice.usable())
        return false;
    const ProxySetting none;
    const ProxySetting& proxy = choice.proxy ? *choice.proxy : none;
    request.proxy = proxy.address;
    request.proxyUser = proxy.user;
    request.proxyPassword = proxy.password;
    return true;
}

} // namespace zorvane
