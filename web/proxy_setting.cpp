#include "web/proxy_setting.h"

#include <cstdlib>
#include <memory>

#include <curl/curl.h>

#include "core/text.h"
#include "web/http_request.h"

namespace zorvane {

namespace {

using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

// One part of a parsed address, "" when it has none.
std::string urlPart(CURLU* url, CURLUPart part, unsigned int flags = 0)
{
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || !text)
        return {};
    std::string value(text);
    curl_free(text);
    return value;
}

// The parsed address; a scheme curl cannot fetch (socks5) is still read.
UrlHandle parseUrl(std::string_view text, unsigned int flags)
{
    UrlHandle url(curl_url(), &curl_url_cleanup);
    const std::string copy(text);
    if (!url ||
        curl_url_set(url.get(), CURLUPART_URL, copy.c_str(), flags | CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        url.reset();
    return url;
}

bool isProxyScheme(std::string_view scheme)
{
    return scheme == "http" || scheme == "https" || scheme == "socks5" || scheme == "socks5h";
}

// A host in the no_proxy list: "*" is every host, an entry is the host itself
// or any name under it (a leading dot changes nothing), letter case aside.
bool bypassesProxy(std::string_view noProxy, std::string host)
{
    host = toLowerAscii(host);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    std::string list = replaceAll(noProxy, " ", ",");
    for (std::string entry : splitText(list, ",")) {
        entry = toLowerAscii(entry);
        while (!entry.empty() && entry.front() == '.')
            entry.erase(0, 1);
        if (entry.size() > 2 && entry.front() == '[' && entry.back() == ']')
            entry = entry.substr(1, entry.size() - 2);
        if (entry == "*" && list == "*")
            return true;
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
    UrlHandle url = parseUrl(trimmed, CURLU_GUESS_SCHEME);
    if (!url)
        return std::nullopt;
    const std::string scheme = toLowerAscii(urlPart(url.get(), CURLUPART_SCHEME));
    const std::string host = urlPart(url.get(), CURLUPART_HOST);
    const std::string path = urlPart(url.get(), CURLUPART_PATH);
    if (!isProxyScheme(scheme) || host.empty() || (path != "/" && !path.empty()) ||
        !urlPart(url.get(), CURLUPART_QUERY).empty())
        return std::nullopt;
    ProxySetting setting;
    setting.address = scheme + "://" + host;
    if (const std::string port = urlPart(url.get(), CURLUPART_PORT); !port.empty())
        setting.address += ":" + port;
    setting.user = urlPart(url.get(), CURLUPART_USER, CURLU_URLDECODE);
    setting.password = urlPart(url.get(), CURLUPART_PASSWORD, CURLU_URLDECODE);
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
    UrlHandle target = parseUrl(url, 0);
    if (!target)
        return choice;
    const std::string host = urlPart(target.get(), CURLUPART_HOST);
    if (auto noProxy = firstSet({"no_proxy", "NO_PROXY"}, environment);
        noProxy && bypassesProxy(noProxy->second, host))
        return choice;
    // Upper-case HTTP_PROXY is left alone: a web server's CGI scripts get the
    // client's "Proxy:" header under that name.
    const bool https = toLowerAscii(urlPart(target.get(), CURLUPART_SCHEME)) == "https";
    auto found = https ? firstSet({"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}, environment)
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
