// The paging argument reader, the number rules and the paging arithmetic, then
// the whole next-page search over a script built around the same text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "search/js_values.h"
#include "search/next_page.h"

namespace {

using namespace zorvane;

// Number::toString gives the shortest text that reads back as the same number.
void checkNumberText(double value)
{
    const std::string text = jsNumberToString(value);
    if (std::isnan(value)) {
        FUZZ_CHECK(text == "NaN");
        return;
    }
    const double back = jsStringToNumber(text);
    FUZZ_CHECK(back == value);
    FUZZ_CHECK(std::signbit(back) == std::signbit(value) || value == 0);
}

void checkQuery(const std::string& query)
{
    if (query == "-1")
        return;
    FUZZ_CHECK(startsWith(query, "page="));
    const std::size_t s = query.find("&s=");
    FUZZ_CHECK(s != std::string::npos);
    // The page number is at least 1 (or not a number at all).
    const double page = jsStringToNumber(query.substr(5, s - 5));
    FUZZ_CHECK(std::isnan(page) || page >= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text = sanitizeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));

    const std::string decoded = decodeJsEscapes(text);
    FUZZ_CHECK(sanitizeUtf8(decoded) == decoded);
    checkNumberText(jsStringToNumber(text));

    const std::optional<std::vector<JsValue>> arguments = parseJsArguments(text);
    if (arguments) {
        for (const JsValue& value : *arguments) {
            checkNumberText(jsToNumber(value));
            if (value.type == JsValue::Type::String)
                FUZZ_CHECK(sanitizeUtf8(value.text) == value.text);
        }
        checkQuery(pagingQuery(*arguments));
    }

    const std::string page = "<script>\n\tSEARCH.base_url=\"keyword=a\\x26enc=utf-8\";\n\tSEARCH.click=0;\n"
                             "\ts.init(" +
                             text + ");\n</script>";
    const NextPageOutcome outcome = findNextPage(page, "search.fuzz.test");
    if (outcome.result == NextPageResult::Done) {
        FUZZ_CHECK(outcome.error.empty());
        if (!outcome.address.empty())
            FUZZ_CHECK(startsWith(outcome.address, "https://search.fuzz.test/Search?keyword=a&enc=utf-8&"));
    } else {
        FUZZ_CHECK(!outcome.error.empty());
    }
    // A list the reader takes is found on its page as well, unless it holds
    // what ends the script line or the call early.
    if (arguments && text.find_first_of("\n\r)") == std::string::npos && !text.empty())
        FUZZ_CHECK(outcome.result == NextPageResult::Done);
    return 0;
}
