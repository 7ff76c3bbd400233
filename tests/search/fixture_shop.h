#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/config.h"
#include "tests/support/test_server.h"

namespace zorvane::test {

// What a page of the fixture shop shows instead of a normal result page.
enum class ShopPage
{
    Normal,
    CouponExpired,    // the coupon-expired notice
    LoginRequired,    // the redirect to the configured login host
    NoGoods,          // paging values but no goods item
    NoPaging,         // goods items but neither base query nor paging call
    BadPagingCall,    // goods items and a paging call that is no literal list
    EmptyServerError, // status 500 with an empty body
};

struct FixtureShopOptions
{
    int pages = 3; // the last page's paging call says "no further page"
    int itemsPerPage = 2;
    bool twiceLoading = false; // the shop numbers its pages 1, 3, 5, ... then
    std::string loginHost = "passport.fixture.test";
    std::string setCookie = "shopsid=fixture1; Path=/"; // sent with page 1; "" = none
    std::chrono::milliseconds delay{0};                 // before every answer
    bool keepAlive = true;                              // connections stay open between pages
};

// A coupon goods search on 127.0.0.1 over HTTPS (trusted by the test CA).
// Page n (1-based) holds itemsPerPage goods with ids n*1000+i (i from 1) and
// prices n*10+i+0.5 (written "%.2f", in the 2022 data-price markup), and a
// paging call whose next page is worked out by hand in the tests that use it.
class FixtureShop final
{
public:
    explicit FixtureShop(FixtureShopOptions options = {});
    ~FixtureShop();
    FixtureShop(const FixtureShop&) = delete;
    FixtureShop& operator=(const FixtureShop&) = delete;

    bool start();
    void stop();

    // The next `times` requests of the page (all when times < 1) get this kind.
    void setPage(int page, ShopPage kind, int times = -1);
    // The next `times` requests of the page get this raw answer.
    void setRawPage(int page, int status, std::string body, int times = -1);

    // The usable goods address: the first result page.
    std::string firstPageUrl() const;
    // "127.0.0.1:PORT", the search host the next addresses are built on.
    std::string searchHost() const;
    // The search and login hosts and the CA file of this shop.
    Config config() const;

    // The text of page n as served when Normal.
    std::string pageText(int page) const;
    static std::string goodsId(int page, int item);
    static double price(int page, int item);

    std::vector<TestRequest> requests() const;
    // Connections and TLS handshakes the shop has seen since start().
    std::size_t connectionCount() const;
    std::size_t handshakeCount() const;
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    // The page number of each request so far, in order (the shop's own numbers).
    std::vector<int> requestedPages() const;
    // The page number a request target asks for (1 without one).
    static int pageOfTarget(const std::string& target);

private:
    struct Override
    {
        int status = 200;
        std::string body;
        ShopPage kind = ShopPage::Normal;
        bool raw = false;
        int times = -1;
    };

    TestResponse answer(const TestRequest& request);
    std::string bodyOf(int page, ShopPage kind) const;
    int logicalPage(int shopPage) const;

    FixtureShopOptions m_options;
    TestServer m_server;
    mutable std::mutex m_mutex;
    std::map<int, Override> m_overrides;
};

// A page's text with one goods item's price changed (prices as written, "%.2f");
// unchanged when the item has not that price.
std::string withPrice(const std::string& page, const std::string& id, const std::string& from,
                      const std::string& to);

// Page 3's text with a third goods item (3003, 33.50) after the second.
std::string withThirdItem(const std::string& page);

} // namespace zorvane::test
