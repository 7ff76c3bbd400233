// Cookie collection from a response header text and the merge into the
// cookie text a walk carries from page to page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "web/cookies.h"
#include "web/request_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zorvane;
    // The old cookie text, a NUL, then the response's header text.
    const std::string input = sanitizeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::size_t cut = input.find('\0');
    std::string oldCookie = input.substr(0, cut);
    const std::string headers = cut == std::string::npos ? std::string() : input.substr(cut + 1);

    const std::string normalised = normaliseSetCookie(headers);
    FUZZ_CHECK(normalised.size() == headers.size());
    std::string newCookie = collectResponseCookies(normalised);
    const std::string given = newCookie;

    const std::string merged = mergeCookieText(oldCookie, newCookie);
    FUZZ_CHECK(merged == oldCookie);
    // Line breaks in a cookie text separate entries; spaces go.
    FUZZ_CHECK(newCookie == removeSpaces(joinCookieLines(given)));

    std::set<std::string> seen;
    for (const std::string& entry : splitText(merged, "; ")) {
        FUZZ_CHECK(entry.find(' ') == std::string::npos);
        FUZZ_CHECK(!endsWith(entry, "=deleted"));
        FUZZ_CHECK(seen.insert(entry).second);
    }

    // A page that sets no cookie keeps the walk's cookie entries, except that
    // of two entries of one name (both kept when one response set both) only
    // the first is carried on; from then on the text stays put.
    std::string once = merged;
    std::string none;
    mergeCookieText(once, none);
    const std::vector<std::string> before = splitText(merged, "; ");
    std::set<std::string> names;
    for (const std::string& entry : splitText(once, "; ")) {
        FUZZ_CHECK(names.insert(cookieEntryName(entry)).second);
        FUZZ_CHECK(std::find(before.begin(), before.end(), entry) != before.end());
    }
    std::string twice = once;
    FUZZ_CHECK(mergeCookieText(twice, none) == once);
    return 0;
}
