#include "search/page_analysis.h"

#include <algorithm>
#include <chrono>

#include "base/text.h"
#include "base/text_scan.h"
#include "core/app_state.h"
#include "core/log.h"
#include "search/goods_items.h"
#include "search/item_extraction.h"
#include "search/patterns.h"
#include "search/search_job.h"
#include "services/regex_service.h"
#include "web/http_request.h"
#include "web/proxy_setting.h"

namespace zorvane {

namespace {

void pauseItself(AppState& state, SearchJob& job)
{
    job.pausedItself = true;
    state.walk.pauseItself();
}

// What one fetch of a page came to.
struct Fetched
{
    std::string body;
    int statusCode = 0;
    HttpFailure failure = HttpFailure::None;
    std::string failureText;
};

Fetched fetchPage(AppState& state, SearchJob& job)
{
    HttpRequest request;
    request.url = job.params.nextPageAddress;
    request.cookie = job.params.cookie;
    request.extraHeaders = job.params.extraHeaders;
    request.ignoreCertErrors = state.config.ignoreCertErrors;
    request.caFile = state.config.caFile;
    request.requestObject = &job.connection;
    Fetched fetched;
    if (const ProxyChoice proxy = chooseProxy(state.config.proxy, request.url); !applyProxy(request, proxy)) {
        fetched.failure = HttpFailure::ProxyUnusable;
        fetched.failureText = hidePassword(proxy.text);
        return fetched;
    }
    fetched.body = httpRequest(request);
    // The merged cookies and the completed headers travel on to the next page.
    if (request.cookie)
        job.params.cookie = *request.cookie;
    job.params.extraHeaders = request.extraHeaders;
    fetched.statusCode = request.statusCode;
    fetched.failure = request.failure;
    fetched.failureText = std::move(request.failureText);
    return fetched;
}

// Logs a fetch that gave no page text. An address the transport refuses as
// it stands would fail on every retry, so the walk pauses at it instead.
void reportFailedFetch(AppState& state, WalkObserver& observer, SearchJob& job, const Fetched& fetched)
{
    const std::string& prefix = job.logPrefix;
    if (fetched.failure == HttpFailure::BadAddress) {
        observer.logLine(prefix + "访问失败，地址无效：" + job.params.nextPageAddress);
        pauseItself(state, job);
        return;
    }
    observer.logLine(prefix + "访问失败，状态码：" + std::to_string(fetched.statusCode));
    if (fetched.statusCode != 0 || fetched.failure == HttpFailure::None)
        return;
    std::string cause = failureCause(fetched.failure, fetched.failureText);
    observer.logLine(prefix + "原因：" + cause);
    if (job.endAtLastingFailure && isLastingFailure(fetched.failure)) {
        job.ending = WalkEndReason::LastingFailure;
        job.lastingFailure = std::move(cause);
    }
}

} // namespace

std::chrono::milliseconds extractionBudget(std::size_t pageBytes)
{
    return std::chrono::seconds(10) + std::chrono::milliseconds(pageBytes / 1024);
}

std::string pageTextFromBody(std::string body)
{
    const std::size_t nul = body.find('\0');
    if (nul != std::string::npos)
        body.resize(nul);
    // A valid page (the common case) stays where it is.
    if (!isValidUtf8(body))
        return sanitizeUtf8(body);
    return body;
}

std::string loginRedirectMarker(std::string_view loginHost)
{
    std::string marker(kLoginRedirectStart);
    marker.append(loginHost).append(kLoginPath);
    return marker;
}

PageVerdict analysePageText(std::string_view pageText, const Config& config, const GoodsHandler& onGoods)
{
    // One UTF-8 check serves every run over the page and over its items.
    return analysePageText(pageText, config, onGoods, isValidUtf8(pageText));
}

PageVerdict analysePageText(std::string_view pageText, const Config& config, const GoodsHandler& onGoods,
                            bool checked)
{
    PageVerdict verdict;
    // Both end-of-walk markers in one pass; the expired coupon wins wherever it stands.
    const TextPlace marker =
        findFirstOfTwo(pageText, kCouponExpiredMarker, loginRedirectMarker(config.loginHost));
    if (marker.at != std::string_view::npos) {
        const bool expired = marker.which == 0 || findText(pageText.substr(marker.at),
                                                           kCouponExpiredMarker) != std::string_view::npos;
        verdict.outcome = expired ? PageOutcome::CouponExpired : PageOutcome::LoginRequired;
        return verdict;
    }
    std::optional<std::vector<GoodsItemText>> items = findGoodsItems(pageText, checked);
    if (!items) {
        verdict.outcome = PageOutcome::PatternFailed;
        return verdict;
    }
    if (items->empty()) {
        verdict.outcome = PageOutcome::NoGoods;
        return verdict;
    }
    // The extraction of all the page's goods shares one time budget (the time
    // the window takes over each record does not count), so a page of items
    // built to make the extraction patterns read on to each item's end costs
    // minutes at most, not hours; a real page uses a tiny part of it.
    std::chrono::milliseconds budget = extractionBudget(pageText.size());
    for (const GoodsItemText& item : *items) {
        const auto started = std::chrono::steady_clock::now();
        GoodsRecord record;
        {
            const RegexDeadline deadline(std::max(budget, std::chrono::milliseconds(0)));
            record = extractItem(item.goodsId, item.text, checked);
        }
        budget -=
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        if (budget <= std::chrono::milliseconds(0))
            ++verdict.goodsCut; // the budget ran out during this item or before it
        onGoods(std::move(record));
    }
    verdict.outcome = PageOutcome::GoodsFound;
    verdict.goodsCount = static_cast<int>(items->size());
    verdict.next = findNextPage(pageText, config.searchHost, checked);
    return verdict;
}

void storeGoods(AppState& state, WalkObserver& observer, SearchJob& job, GoodsRecord record)
{
    StoredGoods stored{record, job.params.pagesDone + 1, ++job.place, 0};
    stored.count = state.goods.append(std::move(record));
    observer.goodsStored(stored);
}

bool analysePage(AppState& state, WalkObserver& observer, SearchJob& job)
{
    Fetched fetched = fetchPage(state, job);
    // The body becomes the page text in place: a page is never copied.
    const std::string pageText = pageTextFromBody(std::move(fetched.body));
    const std::string& prefix = job.logPrefix;
    if (pageText.empty()) {
        reportFailedFetch(state, observer, job, fetched);
        return false;
    }
    const PageVerdict verdict = analysePageText(
        pageText, state.config,
        [&](GoodsRecord&& record) { storeGoods(state, observer, job, std::move(record)); }, true);
    switch (verdict.outcome) {
    case PageOutcome::CouponExpired:
        observer.logLine(prefix + "优惠券已过期");
        job.params.nextPageAddress.clear();
        job.ending = WalkEndReason::CouponExpired;
        return true;
    case PageOutcome::LoginRequired:
        observer.logLine(prefix + "被京东限制，请输入Cookie后再进行搜索");
        job.params.nextPageAddress.clear();
        job.ending = WalkEndReason::LoginPage;
        return true;
    case PageOutcome::PatternFailed:
        observer.logLine(prefix + "创建正则表达式失败");
        return false;
    case PageOutcome::NoGoods:
        observer.logLine(prefix + "未找到商品");
        pauseItself(state, job);
        return false;
    case PageOutcome::GoodsFound:
        if (verdict.goodsCut > 0)
            observer.logLine(prefix + "(" + std::to_string(job.params.pagesDone + 1) + "页)提取超时，" +
                             std::to_string(verdict.goodsCut) + "件商品只保存了编号");
        break;
    }
    switch (applyNextPage(state, job, verdict.next)) {
    case NextPageResult::NotFound:
        pauseItself(state, job);
        return false;
    case NextPageResult::ScriptFailed:
        return false;
    case NextPageResult::Done:
        break;
    }
    return true;
}

} // namespace zorvane
