// Everything after the fetch: the body made page text, the end markers, the
// goods items and the next page's address, on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "search/goods_items.h"
#include "search/page_analysis.h"
#include "search/patterns.h"
#include "services/regex_service.h"
#include "services/text_pattern.h"

namespace {

bool allDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zorvane;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    // The page scan's UTF-8 check against PCRE2's own, which fails a run on
    // a subject that is not UTF-8.
    static const TextPattern anything("");
    TextMatch none;
    FUZZ_CHECK(isValidUtf8(body) == (anything.find(body, 0, false, none) != MatchResult::Failed));
    const std::string page = pageTextFromBody(std::string(body));
    FUZZ_CHECK(page.find('\0') == std::string::npos);
    // The page is checked once here, as the search checks it once per page.
    FUZZ_CHECK(isValidUtf8(page));

    Config config;
    config.searchHost = "search.fuzz.test";
    config.loginHost = "passport.fuzz.test";
    std::vector<std::string> handed;
    const PageVerdict verdict = analysePageText(
        page, config,
        [&](GoodsRecord&& record) {
            FUZZ_CHECK(allDigits(record.goodsId));
            handed.push_back(record.goodsId);
        },
        true);

    // The items are exactly those of a plain global run of the item pattern
    // (on short pages only: that run is quadratic at worst).
    const std::optional<std::vector<GoodsItemText>> items = findGoodsItems(page, true);
    if (page.size() <= 16384) {
        RegexService global;
        FUZZ_CHECK(items.has_value() == global.create(kGoodsItemPattern, page));
        if (items) {
            FUZZ_CHECK(static_cast<int>(items->size()) == global.matchCount());
            for (int i = 1; i <= global.matchCount(); ++i) {
                const GoodsItemText& item = (*items)[static_cast<std::size_t>(i - 1)];
                FUZZ_CHECK(item.goodsId == global.subMatchText(i, 1));
                FUZZ_CHECK(item.text == global.matchText(i));
            }
        }
    }

    FUZZ_CHECK(verdict.goodsCount == static_cast<int>(handed.size()));
    if (verdict.outcome != PageOutcome::GoodsFound) {
        FUZZ_CHECK(handed.empty());
        return 0;
    }
    FUZZ_CHECK(!handed.empty());
    for (std::size_t i = 0; i < handed.size(); ++i)
        FUZZ_CHECK(handed[i] == (*items)[i].goodsId);
    if (verdict.next.result == NextPageResult::Done && !verdict.next.address.empty())
        FUZZ_CHECK(startsWith(verdict.next.address, "https://search.fuzz.test/Search?"));
    if (verdict.next.result != NextPageResult::Done)
        FUZZ_CHECK(!verdict.next.error.empty() && verdict.next.address.empty());
    return 0;
}
