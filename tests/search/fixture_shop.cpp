#include "fixture_shop.h"

#include <cstdio>

namespace zorvane::test {

namespace {

constexpr const char* kSearchPath = "/Search?";
// Double-quoted with \x26, as the shop has written it since 2021.
constexpr const char* kBaseQuery = R"(keyword=%E6%B5%8B%E8%AF%95\x26enc=utf-8\x26coupon_batch=fixture)";

std::string item(int page, int i)
{
    const std::string id = FixtureShop::goodsId(page, i);
    char price[32];
    std::snprintf(price, sizeof price, "%.2f", FixtureShop::price(page, i));
    return "<li data-sku=\"" + id +
           "\" data-spu=\"\" ware-type=\"0\" class=\"gl-item\">\n"
           "\t<div class=\"gl-i-wrap\">\n"
           "\t\t<div class=\"p-price\">\n\t\t\t<strong class=\"J_" +
           id +
           "\" data-done=\"1\">"
           "<em>￥</em><i data-price=\"" +
           id + "\">" + price +
           "</i></strong>\n\t\t</div>\n"
           "\t\t<div class=\"p-name p-name-type-2\">\n\t\t\t<a target=\"_blank\" title=\"\" "
           "href=\"//item.test/" +
           id + ".html\">\n\t\t\t\t<em>测试商品 " + std::to_string(page) + "-" + std::to_string(i) +
           "</em>\n\t\t\t</a>\n\t\t</div>\n"
           "\t\t<div class=\"p-icons\" id=\"J_pro_" +
           id +
           "\">\n"
           "\t\t\t<i class=\"goods-icons J-picon-tips\" data-tips=\"京东自营\">自营</i>\n\t\t</div>\n"
           "\t</div>\n</li>\n";
}

} // namespace

FixtureShop::FixtureShop(FixtureShopOptions options) : m_options(std::move(options))
{
    m_server.setHandler([this](const TestRequest& request) { return answer(request); });
    m_server.setKeepAlive(m_options.keepAlive);
}

FixtureShop::~FixtureShop()
{
    stop();
}

bool FixtureShop::start()
{
    return m_server.start(true);
}

void FixtureShop::stop()
{
    m_server.stop();
}

void FixtureShop::setPage(int page, ShopPage kind, int times)
{
    std::lock_guard guard(m_mutex);
    Override o;
    o.kind = kind;
    o.times = times;
    m_overrides[page] = o;
}

void FixtureShop::setRawPage(int page, int status, std::string body, int times)
{
    std::lock_guard guard(m_mutex);
    Override o;
    o.status = status;
    o.body = std::move(body);
    o.raw = true;
    o.times = times;
    m_overrides[page] = o;
}

std::string FixtureShop::firstPageUrl() const
{
    return m_server.url(std::string(kSearchPath) +
                        "keyword=%E6%B5%8B%E8%AF%95&enc=utf-8&coupon_batch=fixture");
}

std::string FixtureShop::searchHost() const
{
    return "127.0.0.1:" + std::to_string(m_server.port());
}

Config FixtureShop::config() const
{
    Config config;
    config.searchHost = searchHost();
    config.loginHost = m_options.loginHost;
    config.caFile = TestServer::caFile();
    return config;
}

std::string FixtureShop::goodsId(int page, int item)
{
    return std::to_string(page * 1000 + item);
}

double FixtureShop::price(int page, int item)
{
    return page * 10 + item + 0.5;
}

int FixtureShop::pageOfTarget(const std::string& target)
{
    const std::size_t at = target.find("&page=");
    return at == std::string::npos ? 1 : std::atoi(target.c_str() + at + 6);
}

int FixtureShop::logicalPage(int shopPage) const
{
    return m_options.twiceLoading ? (shopPage + 1) / 2 : shopPage;
}

std::string FixtureShop::pageText(int page) const
{
    return bodyOf(page, ShopPage::Normal);
}

std::string FixtureShop::bodyOf(int page, ShopPage kind) const
{
    if (kind == ShopPage::CouponExpired)
        return "<html><body><div class=\"tip\"><h3 "
               "class=\"tip-title\">抱歉，优惠券已过期</h3></div></body></html>";
    if (kind == ShopPage::LoginRequired)
        return "<html><script>window.location.href=\"//" + m_options.loginHost +
               "/new/login.aspx?ReturnUrl=https%3A%2F%2Fsearch\";</script></html>";
    std::string body =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>fixture</title></head><body>\n"
        "<div id=\"J_goodsList\"><ul class=\"gl-warp clearfix\">\n";
    if (kind != ShopPage::NoGoods) {
        for (int i = 1; i <= m_options.itemsPerPage; ++i)
            body += item(page, i);
    }
    body += "</ul></div>\n";
    if (kind != ShopPage::NoPaging) {
        body += std::string("<script>\n\tSEARCH.base_url=\"") + kBaseQuery +
                "\";\n\tSEARCH.click=0;\n</script>\n";
        // Shop numbers: a1 is the shop's page, a2 the shop's page count; a7 the next start.
        const int shopPage = m_options.twiceLoading ? 2 * page - 1 : page;
        const int shopPages = m_options.twiceLoading ? 2 * m_options.pages : m_options.pages;
        std::string call = std::to_string(shopPage) + ", " + std::to_string(shopPages) + ", '5000+ ',\"\"," +
                           (m_options.twiceLoading ? "1" : "0") + ", 0, " + std::to_string(60 * page + 1) +
                           ",1, 3, 1 ,1";
        if (kind == ShopPage::BadPagingCall)
            call = "1,,2";
        body += "<script>\n\ts.init(" + call + ");\n\ts.init();\n</script>\n";
    }
    return body + "</body></html>\n";
}

TestResponse FixtureShop::answer(const TestRequest& request)
{
    const int page = logicalPage(pageOfTarget(request.target));
    Override used;
    {
        std::lock_guard guard(m_mutex);
        auto found = m_overrides.find(page);
        if (found != m_overrides.end()) {
            used = found->second;
            if (found->second.times > 0 && --found->second.times == 0)
                m_overrides.erase(found);
        }
    }
    TestResponse response;
    response.delay = m_options.delay;
    response.headers.emplace_back("Content-Type", "text/html;charset=utf-8");
    if (page == 1 && !m_options.setCookie.empty())
        response.headers.emplace_back("Set-Cookie", m_options.setCookie);
    if (used.raw) {
        response.status = used.status;
        response.body = used.body;
    } else if (used.kind == ShopPage::EmptyServerError) {
        response.status = 500;
    } else {
        response.body = bodyOf(page, used.kind);
    }
    return response;
}

std::vector<TestRequest> FixtureShop::requests() const
{
    return m_server.requests();
}

std::size_t FixtureShop::connectionCount() const
{
    return m_server.connectionCount();
}

std::size_t FixtureShop::handshakeCount() const
{
    return m_server.handshakeCount();
}

bool FixtureShop::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const
{
    return m_server.waitForRequests(count, timeout);
}

std::vector<int> FixtureShop::requestedPages() const
{
    std::vector<int> pages;
    for (const TestRequest& request : m_server.requests())
        pages.push_back(pageOfTarget(request.target));
    return pages;
}

std::string withPrice(const std::string& page, const std::string& id, const std::string& from,
                      const std::string& to)
{
    std::string text = page;
    const std::string old = "data-price=\"" + id + "\">" + from + "<";
    if (const std::size_t at = text.find(old); at != std::string::npos)
        text.replace(at, old.size(), "data-price=\"" + id + "\">" + to + "<");
    return text;
}

std::string withThirdItem(const std::string& page)
{
    const std::size_t from = page.find("<li data-sku=\"3002\"");
    if (from == std::string::npos)
        return page;
    const std::size_t to = page.find("</li>\n", from) + 6;
    std::string item = page.substr(from, to - from);
    for (auto [old, now] : {std::pair{"3002", "3003"}, {"3-2", "3-3"}, {"32.50", "33.50"}}) {
        for (std::size_t at = item.find(old); at != std::string::npos; at = item.find(old, at))
            item.replace(at, std::string(old).size(), now);
    }
    return page.substr(0, to) + item + page.substr(to);
}

} // namespace zorvane::test
