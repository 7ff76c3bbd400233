#include "web/proxy_setting.h"

#include <cstdlib>

#include "base/text.h"
#include "web/http_request.h"
#include "web/url_parts.h"

namespace zorvane {

namespace {

bool isProxyScheme(std::string_view scheme)
{
    return scheme == "http" || scheme == "https" || scheme == "socks5" || scheme == "socks5h";
}

// A host in the no_proxy list: "*" is every host, an entry is the host itself
// or any name under it (a leading dot changes nothing), letter case aside.
bool bypassesProxy(std::string_view noProxy, std::string host)
{
    if (trimSpaces(noProxy) == "*")
        return true;
    host = bareHost(host);
    for (std::string entry : splitText(replaceAll(noProxy, " ", ","), ",")) {
        entry = bareHost(entry);
        while (!entry.empty() && entry.front() == '.')
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
    const std::size_t schemeEnd = proxyText.find("://");
    const std::size_t from = schemeEnd == std::string_view::npos ? 0 : schemeEnd + 3;
    const std::size_t at = proxyText.rfind('@');
    if (at == std::string_view::npos || at < from)
        return std::string(proxyText);
    const std::size_t colon = proxyText.substr(0, at).find(':', from);
    if (colon == std::string_view::npos)
        return std::string(proxyText);
    return std::string(proxyText.substr(0, colon + 1)) + "***" + std::string(proxyText.substr(at));
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
