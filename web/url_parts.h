#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvane {

// The parts of an absolute address as libcurl reads it; "" for a part it
// lacks. The scheme is in lower case, user and password are percent-decoded.
struct UrlParts
{
    std::string scheme;
    std::string user;
    std::string password;
    std::string host; // an IPv6 address in brackets
    std::string port;
    std::string path;
    std::string query;
};

// Nothing when the text is no address. Any scheme is read; with
// guessScheme, a text without one is taken as http (proxy variables are often
// written "host:port").
std::optional<UrlParts> splitUrl(std::string_view url, bool guessScheme = false);

// The host in lower case, an IPv6 address without its brackets: the form
// that host lists (no_proxy, cookie domains) are compared with.
std::string bareHost(std::string_view host);

} // namespace zorvane
