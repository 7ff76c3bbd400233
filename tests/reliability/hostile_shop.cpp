#include "tests/reliability/hostile_shop.h"

namespace zorvane::test {

HostileShop::HostileShop(FixtureShopOptions options) : m_pages(options)
{
    m_server.setHandler([this](const TestRequest& request) { return answer(request); });
}

HostileShop::~HostileShop()
{
    m_server.stop();
}

bool HostileShop::start()
{
    return m_server.start(true);
}

void HostileShop::queue(int page, TestResponse response)
{
    std::lock_guard guard(m_mutex);
    m_queued[page].push_back(std::move(response));
}

TestResponse HostileShop::pageAnswer(std::string body)
{
    TestResponse response;
    response.headers.emplace_back("Content-Type", "text/html;charset=utf-8");
    response.body = std::move(body);
    return response;
}

Config HostileShop::config() const
{
    Config config;
    config.searchHost = "127.0.0.1:" + std::to_string(m_server.port());
    config.loginHost = "passport.fixture.test";
    config.caFile = TestServer::caFile();
    return config;
}

std::vector<int> HostileShop::requestedPages() const
{
    std::vector<int> pages;
    for (const TestRequest& request : m_server.requests())
        pages.push_back(FixtureShop::pageOfTarget(request.target));
    return pages;
}

TestResponse HostileShop::answer(const TestRequest& request)
{
    const int page = FixtureShop::pageOfTarget(request.target);
    {
        std::lock_guard guard(m_mutex);
        auto found = m_queued.find(page);
        if (found != m_queued.end() && !found->second.empty()) {
            TestResponse response = std::move(found->second.front());
            found->second.pop_front();
            return response;
        }
    }
    return pageAnswer(m_pages.pageText(page));
}

} // namespace zorvane::test
