#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/config.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/test_server.h"

namespace zorvane::test {

// The fixture shop's result pages over HTTPS on 127.0.0.1, where any page can
// be made to answer badly: queued answers are used once each, in order, and
// then the page answers normally again.
class HostileShop final
{
public:
    explicit HostileShop(FixtureShopOptions options = {});
    ~HostileShop();
    HostileShop(const HostileShop&) = delete;
    HostileShop& operator=(const HostileShop&) = delete;

    bool start();

    // The next request of the page gets this answer (after those queued before).
    void queue(int page, TestResponse response);
    // A normal answer of the page with this body.
    static TestResponse pageAnswer(std::string body);

    std::string firstPageUrl() const { return m_server.url(kFirstTarget); }
    Config config() const;
    std::string pageText(int page) const { return m_pages.pageText(page); }

    // The shop's page number of every request so far, in order.
    std::vector<int> requestedPages() const;
    std::vector<TestRequest> requests() const { return m_server.requests(); }

    static constexpr const char* kFirstTarget =
        "/Search?keyword=%E6%B5%8B%E8%AF%95&enc=utf-8&coupon_batch=fixture";

private:
    TestResponse answer(const TestRequest& request);

    FixtureShop m_pages; // never started: only writes the pages
    TestServer m_server;
    mutable std::mutex m_mutex;
    std::map<int, std::deque<TestResponse>> m_queued;
};

} // namespace zorvane::test
