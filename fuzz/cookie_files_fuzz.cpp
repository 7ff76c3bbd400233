// Cookie files as a stranger may hand them over: a cookies.txt, and the rows
// of a Firefox cookies.sqlite, both through the one check into the jar, then
// the Cookie header a request to an address would carry.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "web/cookie_jar.h"
#include "web/url_parts.h"

namespace {

using namespace zorvane;

// Nothing that could end the header line, split an entry or add a header.
bool fitsOneHeaderLine(const std::string& header)
{
    for (const char c : header) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

// A line's tab-separated fields as a Firefox row: host, path, isSecure,
// expiry, name, value (bytes the database may hold, NUL included).
StoredCookie rowCookie(const std::string& line)
{
    std::vector<std::string> fields = splitText(line, "\t");
    fields.resize(6);
    StoredCookie cookie;
    cookie.domain = fields[0];
    cookie.path = fields[1].empty() ? "/" : fields[1];
    cookie.secure = fields[2] == "1";
    cookie.expires = static_cast<std::int64_t>(fields[3].size()) * 1'000'000'000;
    cookie.name = fields[4];
    cookie.value = fields[5];
    return cookie;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The address on the first line, the file's text after it.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = input.find('\n');
    const std::string url = input.substr(0, lineEnd);
    const std::string text = lineEnd == std::string::npos ? std::string() : input.substr(lineEnd + 1);

    std::vector<StoredCookie> jar;
    if (std::optional<std::vector<StoredCookie>> parsed = parseNetscapeCookies(text))
        jar = std::move(*parsed);
    for (const std::string& line : splitText(text, "\n")) {
        if (std::optional<StoredCookie> cookie = checkedCookie(rowCookie(line)))
            jar.push_back(std::move(*cookie));
    }
    for (const StoredCookie& cookie : jar) {
        FUZZ_CHECK(!cookie.domain.empty() && cookie.domain.front() != '.');
        FUZZ_CHECK(cookie.domain == toLowerAscii(cookie.domain));
        FUZZ_CHECK(!cookie.name.empty());
        // The check is the same for every source: a kept cookie passes again.
        FUZZ_CHECK(checkedCookie(cookie).has_value());
    }

    const std::string header = cookieHeaderFor(jar, url, 1'700'000'000);
    FUZZ_CHECK(fitsOneHeaderLine(header));
    const std::optional<UrlParts> target = splitUrl(url);
    if (!target)
        FUZZ_CHECK(header.empty());
    // A cookie for a public suffix reaches no host under it.
    const StoredCookie suffix{"com", false, "/", false, 0, "tld", "1"};
    if (target && endsWith(bareHost(target->host), ".com"))
        FUZZ_CHECK(!cookieDomainMatches(target->host, suffix));
    return 0;
}
