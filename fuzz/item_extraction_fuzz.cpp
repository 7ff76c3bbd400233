// Item extraction on arbitrary item text, as the page analysis hands it over
// (valid UTF-8).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/numbers.h"
#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "search/item_extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zorvane;
    const std::string item = sanitizeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    const GoodsRecord record = extractItem("100012043978", item);

    FUZZ_CHECK(record.goodsId == "100012043978");
    FUZZ_CHECK(record.passesFilter == 1);
    FUZZ_CHECK(!std::isnan(record.price) && record.price >= 0);
    if (std::isfinite(record.price))
        FUZZ_CHECK(round2(record.price) == record.price);
    std::string joined;
    for (const std::string& tag : record.tags) {
        FUZZ_CHECK(!tag.empty());
        FUZZ_CHECK(sanitizeUtf8(tag) == tag);
        joined += (joined.empty() ? "" : ",") + tag;
    }
    FUZZ_CHECK(record.tagText == joined);
    FUZZ_CHECK(sanitizeUtf8(record.name) == record.name);
    // The name is a piece of the item.
    FUZZ_CHECK(item.find(record.name) != std::string::npos);
    return 0;
}
