// Proxy addresses and no_proxy lists as a user's settings or environment
// give them: the choice for an address, and the proxy text as logs show it.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "web/proxy_setting.h"
#include "web/url_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zorvane;
    // Four texts separated by NUL: the setting, the address, no_proxy and
    // https_proxy (which http_proxy shares).
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts = splitText(input, std::string_view("\0", 1));
    parts.resize(4);
    const std::string& configured = parts[0];
    const std::string& url = parts[1];
    std::map<std::string, std::string> environment = {
        {"no_proxy", parts[2]}, {"https_proxy", parts[3]}, {"http_proxy", parts[3]}};
    const EnvironmentLookup lookup = [&](const char* name) -> std::optional<std::string> {
        auto found = environment.find(name);
        return found == environment.end() ? std::nullopt : std::optional<std::string>(found->second);
    };

    const ProxyChoice choice = chooseProxy(configured, url, lookup);
    if (choice.proxy) {
        // The address handed to libcurl names its scheme and carries no
        // credentials of its own.
        FUZZ_CHECK(choice.proxy->address.find('@') == std::string::npos);
        const std::string scheme = choice.proxy->address.substr(0, choice.proxy->address.find("://"));
        FUZZ_CHECK(scheme == "http" || scheme == "https" || scheme == "socks5" || scheme == "socks5h");
    }
    // What a log shows keeps no byte of the user information.
    const std::string shown = hidePassword(choice.text);
    const std::size_t at = choice.text.rfind('@');
    if (at != std::string::npos) {
        FUZZ_CHECK(shown.size() <= choice.text.size() + 3);
        FUZZ_CHECK(endsWith(shown, choice.text.substr(at)));
        FUZZ_CHECK(endsWith(shown.substr(0, shown.size() - (choice.text.size() - at)), "***"));
    } else {
        FUZZ_CHECK(shown == choice.text);
    }

    // An address's own host in no_proxy always goes direct.
    const std::optional<UrlParts> target = splitUrl(url);
    if (trimSpaces(configured).empty() && target) {
        const std::string host = bareHost(target->host);
        if (!host.empty() && host.find_first_of(", \t") == std::string::npos && host.back() != '.') {
            environment["no_proxy"] = host;
            FUZZ_CHECK(chooseProxy("", url, lookup).source == ProxySource::None);
        }
    }
    return 0;
}
