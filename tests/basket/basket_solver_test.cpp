#include "basket/basket_solver.h"

#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zorvane::basket;

namespace {

// Every basket there is: for each total at or above the threshold, the fewest
// pieces that make it; the first `top` totals.
std::vector<std::pair<Cents, int>> bruteForce(const BasketRequest& r)
{
    std::map<std::string, Cents> last;
    for (const BasketGoods& g : r.goods)
        last[g.goodsId] = g.price;
    const std::set<std::string> must(r.must.begin(), r.must.end());
    const std::set<std::string> exclude(r.exclude.begin(), r.exclude.end());
    std::vector<std::pair<Cents, bool>> items; // price, must
    for (const auto& [id, price] : last) {
        if (price > 0 && exclude.count(id) == 0)
            items.push_back({price, must.count(id) != 0});
    }
    std::map<Cents, int> fewest;
    std::vector<int> qty(items.size(), 0);
    for (std::size_t i = 0; i < items.size(); ++i)
        qty[i] = items[i].second ? 1 : 0;
    for (;;) {
        Cents total = 0;
        int pieces = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            total += items[i].first * qty[i];
            pieces += qty[i];
        }
        if (total >= r.threshold && (r.maxItems == 0 || pieces <= r.maxItems)) {
            auto [at, fresh] = fewest.emplace(total, pieces);
            if (!fresh)
                at->second = std::min(at->second, pieces);
        }
        std::size_t i = 0;
        for (; i < items.size(); ++i) {
            if (qty[i] < r.maxEach) {
                ++qty[i];
                break;
            }
            qty[i] = items[i].second ? 1 : 0;
        }
        if (i == items.size())
            break;
    }
    std::vector<std::pair<Cents, int>> best(fewest.begin(), fewest.end());
    if (best.size() > static_cast<std::size_t>(r.top))
        best.resize(static_cast<std::size_t>(r.top));
    return best;
}

// What every basket must be, whatever else is chosen.
void checkBasket(const BasketRequest& r, const Basket& b)
{
    std::map<std::string, Cents> last;
    for (const BasketGoods& g : r.goods)
        last[g.goodsId] = g.price;
    Cents total = 0;
    Cents shares = 0;
    int pieces = 0;
    std::set<std::string> ids;
    for (const BasketLine& line : b.lines) {
        EXPECT_TRUE(ids.insert(line.goodsId).second) << line.goodsId;
        EXPECT_EQ(last[line.goodsId], line.price);
        EXPECT_GE(line.qty, 1);
        EXPECT_LE(line.qty, r.maxEach);
        EXPECT_GE(line.share, 0);
        EXPECT_TRUE(std::find(r.exclude.begin(), r.exclude.end(), line.goodsId) == r.exclude.end());
        total += line.price * line.qty;
        shares += line.share;
        pieces += line.qty;
    }
    for (const std::string& id : r.must)
        EXPECT_EQ(ids.count(id), 1u) << id;
    EXPECT_EQ(total, b.total);
    EXPECT_EQ(pieces, b.pieces);
    EXPECT_EQ(shares, std::min(r.discount, total));
    EXPECT_EQ(b.pay, std::max<Cents>(0, total - r.discount));
    EXPECT_EQ(b.over, total - r.threshold);
}

struct OptionsRow
{
    const char* name;
    int maxEach;
    int mostGoods;
    bool must;
    bool exclude;
    bool maxItems;
    Cents priceScale; // prices up to this many cents
    Cents firstWindow;
};

const OptionsRow kRows[] = {
    {"plain", 1, 18, false, false, false, 3000, 256},
    {"plain, narrow window", 1, 14, false, false, false, 3000, 1},
    {"cheap pieces, many needed", 1, 18, false, false, false, 40, 3},
    {"must", 1, 16, true, false, false, 2000, 256},
    {"exclude", 1, 16, false, true, false, 2000, 5},
    {"max items", 1, 16, false, false, true, 500, 16},
    {"all options", 1, 16, true, true, true, 800, 2},
    {"max each 2", 2, 9, false, false, false, 900, 4},
    {"max each 3, all options", 3, 7, true, true, true, 300, 1},
    {"max each 2, cheap", 2, 9, true, false, true, 30, 256},
};

BasketRequest randomRequest(std::mt19937& random, const OptionsRow& row)
{
    auto pick = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    BasketRequest r;
    const int n = pick(0, row.mostGoods);
    Cents sum = 0;
    for (int i = 0; i < n; ++i) {
        // Now and then an id seen again (its last price counts) or no quote.
        const std::string id = std::to_string(pick(0, 3) == 0 && i > 0 ? pick(0, i - 1) : i);
        const Cents price = pick(0, 9) == 0 ? 0 : pick(1, static_cast<int>(row.priceScale));
        r.goods.push_back({id, "goods " + id, price});
        sum += price * row.maxEach;
    }
    r.threshold = pick(2, static_cast<int>(sum + sum / 8 + 2));
    r.discount = pick(1, static_cast<int>(r.threshold - 1));
    r.top = pick(1, 8);
    r.maxEach = row.maxEach;
    const auto someId = [&] {
        return r.goods.empty() ? std::string("x") : r.goods[static_cast<std::size_t>(pick(0, n - 1))].goodsId;
    };
    for (int i = row.must ? pick(0, 2) : 0; i > 0 && !r.goods.empty(); --i) {
        const std::string id = someId();
        if (std::find_if(r.goods.rbegin(), r.goods.rend(), [&](const BasketGoods& g) {
                return g.goodsId == id;
            })->price > 0)
            r.must.push_back(id);
    }
    for (int i = row.exclude ? pick(0, 3) : 0; i > 0; --i) {
        const std::string id = someId();
        if (std::find(r.must.begin(), r.must.end(), id) == r.must.end())
            r.exclude.push_back(id);
    }
    r.maxItems = row.maxItems ? pick(0, n + 1) : 0;
    return r;
}

TEST(BasketSolver, MatchesBruteForceOverEveryBasket)
{
    std::mt19937 random(20261207);
    for (const OptionsRow& row : kRows) {
        for (int round = 0; round < 120; ++round) {
            const BasketRequest r = randomRequest(random, row);
            const BasketResult result = solveBaskets(r, SearchTuning{row.firstWindow});
            const std::vector<std::pair<Cents, int>> expected = bruteForce(r);
            // More must goods than pieces allowed: refused, and no basket there is.
            if (result.status == BasketStatus::MustOverMaxItems && expected.empty())
                continue;
            ASSERT_EQ(result.status, BasketStatus::Ok) << row.name << " round " << round;
            std::vector<std::pair<Cents, int>> got;
            for (const Basket& b : result.baskets) {
                got.push_back({b.total, b.pieces});
                checkBasket(r, b);
            }
            ASSERT_EQ(got, expected) << row.name << " round " << round << " T=" << r.threshold;
        }
    }
}

TEST(BasketSolver, RefusesWhatCannotBeAnswered)
{
    const std::vector<BasketGoods> goods = {{"1", "a", 500}, {"2", "b", 0}, {"3", "c", 700}};
    struct Row
    {
        const char* name;
        BasketRequest request;
        BasketStatus status;
        std::string detail;
    };
    const Row rows[] = {
        {"must unknown", {goods, 100, 10, 5, 0, 1, {"9"}, {}}, BasketStatus::UnknownMust, "9"},
        {"must without a price", {goods, 100, 10, 5, 0, 1, {"2"}, {}}, BasketStatus::UnknownMust, "2"},
        {"must excluded", {goods, 100, 10, 5, 0, 1, {"1"}, {"1"}}, BasketStatus::MustExcluded, "1"},
        {"no threshold", {goods, 0, 10, 5, 0, 1, {}, {}}, BasketStatus::BadRequest, "threshold"},
        {"no discount", {goods, 100, 0, 5, 0, 1, {}, {}}, BasketStatus::BadRequest, "discount"},
        {"no pieces of each", {goods, 100, 10, 5, 0, 0, {}, {}}, BasketStatus::BadRequest, "maxEach"},
        {"must over max items",
         {goods, 100, 10, 5, 1, 1, {"1", "3"}, {}},
         BasketStatus::MustOverMaxItems,
         "2"},
        {"discount of the whole threshold", {goods, 100, 100, 5, 0, 1, {}, {}}, BasketStatus::NoSaving, ""},
        {"discount over the threshold", {goods, 100, 150, 5, 0, 1, {}, {}}, BasketStatus::NoSaving, ""},
        {"threshold over the limit",
         {goods, kMaxCents + 1, 10, 5, 0, 1, {}, {}},
         BasketStatus::BadRequest,
         "threshold"},
        {"max each over the limit",
         {goods, 100, 10, 5, 0, kMostEach + 1, {}, {}},
         BasketStatus::BadRequest,
         "maxEach"},
    };
    for (const Row& row : rows) {
        const BasketResult result = solveBaskets(row.request);
        EXPECT_EQ(result.status, row.status) << row.name;
        EXPECT_EQ(result.detail, row.detail) << row.name;
        EXPECT_TRUE(result.baskets.empty()) << row.name;
    }
}

TEST(BasketSolver, SharesFollowThePricesAndTheRestGoesToTheDearest)
{
    // 满100减30 over 33.33 + 33.33 + 33.34: each share rounds to 10.00, the
    // dearest takes what is left.
    const BasketRequest r{
        {{"1", "a", 3333}, {"2", "b", 3333}, {"3", "c", 3334}}, 10000, 3000, 1, 0, 1, {}, {}};
    const BasketResult result = solveBaskets(r);
    ASSERT_EQ(result.baskets.size(), 1u);
    const Basket& b = result.baskets[0];
    ASSERT_EQ(b.lines.size(), 3u);
    EXPECT_EQ(b.lines[0].goodsId, "3");
    EXPECT_EQ(b.lines[0].share, 1000);
    EXPECT_EQ(b.lines[1].share, 1000);
    EXPECT_EQ(b.pay, 7000);
}

// The bytes of address space the process holds now.
std::size_t addressSpaceBytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmSize:"))
            return std::stoull(line.substr(7)) * 1024;
    }
    return 0;
}

// The status of a solve in a child process whose address space ends a
// little past the budget, or minus the signal that ended it: an allocation
// beyond the budget fails there as on a machine without the memory.
int statusInBoundedChild(const BasketRequest& r, std::size_t budget)
{
    constexpr std::size_t kMargin = std::size_t{64} << 20;
    const std::size_t bound = addressSpaceBytes() + budget + kMargin;
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{bound, bound};
        setrlimit(RLIMIT_AS, &limit);
        _exit(static_cast<int>(solveBaskets(r, SearchTuning{256, budget}).status));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(BasketSolver, RefusesWhatWouldTakeMoreMemoryThanTheBudgetBeforeTakingIt)
{
    BasketRequest cent;
    for (int i = 0; i < 100'000; ++i)
        cent.goods.push_back({std::to_string(i), "goods", 1});
    cent.maxEach = 9999;
    cent.discount = 100;
    // A thousand prices up to 3,000 yuan: wide layers rather than many.
    BasketRequest spread;
    for (int i = 0; i < 1000; ++i)
        spread.goods.push_back({std::to_string(i), "goods", 100 + (i * 7919L % 99991) * 3});
    spread.discount = 100;
    struct Row
    {
        const char* name;
        BasketRequest request;
        Cents threshold;
        std::size_t budget;
        BasketStatus status;
    };
    const Row rows[] = {
        {"a hundred thousand goods at 0.01, 满9000000", cent, 900'000'000, kMemoryBudget,
         BasketStatus::OverMemory},
        {"a hundred thousand goods at 0.01, 满100000", cent, 10'000'000, kMemoryBudget,
         BasketStatus::OverMemory},
        {"a hundred thousand goods at 0.01, 满1000", cent, 100'000, kMemoryBudget, BasketStatus::Ok},
        {"spread prices, 满20000, 4 MiB", spread, 2'000'000, std::size_t{4} << 20, BasketStatus::OverMemory},
        {"spread prices, 满2000, 64 MiB", spread, 200'000, std::size_t{64} << 20, BasketStatus::Ok},
    };
    for (Row row : rows) {
        row.request.threshold = row.threshold;
        EXPECT_EQ(statusInBoundedChild(row.request, row.budget), static_cast<int>(row.status)) << row.name;
    }
}

} // namespace
