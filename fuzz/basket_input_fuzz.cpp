// The basket command's input: the goods tsv as read from a file or standard
// input, and the option values a shopper types, solved under a small memory
// budget. Whatever the bytes, the reader and the solver answer without a
// crash, and every basket they give keeps the terms.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "basket/basket_solver.h"
#include "basket/goods_tsv.h"
#include "basket/money.h"
#include "fuzz/fuzz_check.h"

namespace {

using namespace zorvane::basket;

// Enough goods and memory for every path of the search, few enough that a
// run takes well under a millisecond.
constexpr std::size_t kMostSolvedGoods = 48;
constexpr std::size_t kFuzzBudget = 8 * 1024;

int wholeNumber(std::string_view text, int fallback)
{
    int value = fallback;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The first line: threshold, discount, top, max items, max each, then
// +ID (must) and -ID (exclude), separated by spaces.
BasketRequest requestOf(std::string_view line)
{
    BasketRequest request;
    std::vector<std::string_view> words;
    for (std::size_t start = 0; start <= line.size();) {
        const std::size_t space = std::min(line.find(' ', start), line.size());
        words.push_back(line.substr(start, space - start));
        start = space + 1;
    }
    const auto word = [&words](std::size_t i) { return i < words.size() ? words[i] : std::string_view(); };
    // An over-limit sum is refused by the reader before the solver sees it.
    FUZZ_CHECK(!(yuanAboveLimit(word(0)) && parseYuan(word(0))));
    request.threshold = parseYuan(word(0)).value_or(0);
    request.discount = parseYuan(word(1)).value_or(0);
    request.top = wholeNumber(word(2), 5);
    request.maxItems = wholeNumber(word(3), 0);
    request.maxEach = wholeNumber(word(4), 1);
    for (std::size_t i = 5; i < words.size(); ++i) {
        if (words[i].starts_with('+'))
            request.must.emplace_back(words[i].substr(1));
        else if (words[i].starts_with('-'))
            request.exclude.emplace_back(words[i].substr(1));
    }
    return request;
}

void checkBaskets(const BasketRequest& request, const BasketResult& result)
{
    FUZZ_CHECK(result.baskets.size() <= static_cast<std::size_t>(request.top));
    std::map<std::string, Cents> last;
    for (const BasketGoods& goods : request.goods)
        last[goods.goodsId] = goods.price;
    const std::set<std::string> exclude(request.exclude.begin(), request.exclude.end());
    Cents previous = -1;
    for (const Basket& basket : result.baskets) {
        FUZZ_CHECK(basket.total > previous && basket.total >= request.threshold);
        previous = basket.total;
        Cents total = 0;
        Cents shares = 0;
        int pieces = 0;
        std::set<std::string> ids;
        for (const BasketLine& line : basket.lines) {
            FUZZ_CHECK(ids.insert(line.goodsId).second && exclude.count(line.goodsId) == 0);
            FUZZ_CHECK(line.price == last[line.goodsId] && line.price > 0);
            FUZZ_CHECK(line.qty >= 1 && line.qty <= request.maxEach && line.share >= 0);
            total += line.price * line.qty;
            shares += line.share;
            pieces += line.qty;
        }
        for (const std::string& id : request.must)
            FUZZ_CHECK(ids.count(id) == 1);
        FUZZ_CHECK(total == basket.total && pieces == basket.pieces);
        FUZZ_CHECK(request.maxItems == 0 || pieces <= request.maxItems);
        FUZZ_CHECK(shares == std::min(request.discount, total));
        FUZZ_CHECK(basket.pay == total - request.discount && basket.pay > 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = std::min(input.find('\n'), input.size());
    BasketRequest request = requestOf(input.substr(0, cut));
    const std::string_view text = cut < input.size() ? input.substr(cut + 1) : std::string_view();

    GoodsTsv tsv = parseGoodsTsv(text);
    FUZZ_CHECK(!tsv.fault || tsv.fault->line >= 1);
    for (const BasketGoods& goods : tsv.goods) {
        FUZZ_CHECK(goods.price >= 0 && goods.price <= kMaxCents);
        // A line's first byte-order mark is never part of its goods id; only
        // a second in a row, or an escaped one (\xef\xbb\xbf), can be.
        FUZZ_CHECK(!goods.goodsId.starts_with("\xEF\xBB\xBF") ||
                   text.find("\xEF\xBB\xBF\xEF\xBB\xBF") != std::string_view::npos ||
                   text.find("\\x") != std::string_view::npos);
    }
    if (tsv.goods.size() > kMostSolvedGoods)
        tsv.goods.resize(kMostSolvedGoods);
    request.goods = std::move(tsv.goods);

    const BasketResult result = solveBaskets(request, SearchTuning{256, kFuzzBudget});
    if (result.ok())
        checkBaskets(request, result);
    else
        FUZZ_CHECK(result.baskets.empty());
    if (result.status == BasketStatus::NoSaving)
        FUZZ_CHECK(request.discount >= request.threshold);
    return 0;
}
