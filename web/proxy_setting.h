#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane {

struct HttpRequest;

// A proxy as libcurl takes it: the address without credentials, and the
// credentials (percent-decoded) that go to the proxy alone.
struct ProxySetting
{
    std::string address; // "scheme://host:port"
    std::string user;
    std::string password;

    bool operator==(const ProxySetting&) const = default;
};

// Reads "scheme://[user[:password]@]host[:port][/]" with the scheme http,
// https, socks5 or socks5h; without a scheme, http (as proxy variables are
// often written). Nothing for any other scheme or a text that is no address.
std::optional<ProxySetting> parseProxyUrl(std::string_view text);

// The proxy text with its user information (user, password or token, all
// before the "@") shown as ***, for logs and messages.
std::string hidePassword(std::string_view proxyText);

// Where the proxy of a request came from.
enum class ProxySource
{
    None,
    Setting,     // the program's own setting
    Environment, // a variable such as https_proxy
};

struct ProxyChoice
{
    ProxySource source = ProxySource::None;
    std::string text;     // as written, password included
    std::string variable; // for Environment: the variable's name
    std::optional<ProxySetting> proxy;

    // False when a proxy was named but cannot be read: then nothing is sent.
    bool usable() const { return source == ProxySource::None || proxy.has_value(); }
};

using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The process environment.
std::optional<std::string> processEnvironment(const char* name);

// The proxy a request to url takes: the configured one when not empty, else
// the environment's as libcurl reads it (no_proxy first, then the scheme's
// own variable, then all_proxy; http_proxy in lower case only).
ProxyChoice chooseProxy(std::string_view configured, std::string_view url,
                        const EnvironmentLookup& environment = processEnvironment);

// Points the request at the choice's proxy (or at none). False when the
// choice is not usable; the request is then left as it was.
bool applyProxy(HttpRequest& request, const ProxyChoice& choice);

} // namespace zorvane
