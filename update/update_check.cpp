#include "update/update_check.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "base/gbk.h"
#include "base/numbers.h"
#include "base/text.h"
#include "core/app_state.h"
#include "core/feedback.h"
#include "core/log.h"
#include "services/json_service.h"
#include "update/menus.h"
#include "web/http_request.h"
#include "web/proxy_setting.h"

namespace zorvane {

namespace {

std::string fetchAnswer(const AppState& state)
{
    HttpRequest request;
    request.url = state.config.updateUrl;
    request.timeoutSeconds = 180;
    request.ignoreCertErrors = state.config.ignoreCertErrors;
    request.caFile = state.config.caFile;
    if (!applyProxy(request, chooseProxy(state.config.proxy, request.url)))
        return {};
    std::string body = httpRequest(request);
    body.resize(std::min(body.size(), body.find('\0')));
    return gbkToUtf8(body);
}

bool isValidAnswer(const JsonService& answer)
{
    return answer.exists("success") && std::fabs(parseNumber(answer.getValue("success"))) > 1e-7;
}

// The member's text when it exists and is not empty.
std::string textOf(const JsonService& answer, const char* member)
{
    return answer.exists(member) ? answer.getValue(member) : std::string();
}

// An address from the answer is used only when it is a web address.
bool acceptAddress(AppState& state, const std::string& address)
{
    if (isWebAddress(address))
        return true;
    appendLog(state, "忽略非网页地址：" + address);
    return false;
}

void applyAnswer(AppState& state, FeedbackSink& sink, const JsonService& answer,
                 const UpdateCheckOptions& options)
{
    if (std::string redirect = textOf(answer, "redirect_url"); !redirect.empty()) {
        if (acceptAddress(state, goodsPageAddress(redirect, "1")))
            state.goodsAddress.set(redirect);
    }
    if (std::string title = textOf(answer, "soft_title"); !title.empty())
        sink.post({kFeedbackCaption, 0, makePayloadText(title)});
    if (std::string note = textOf(answer, "log"); !note.empty())
        appendLog(state, note);
    if (answer.exists("latest_version") && answer.getValue("latest_version") != kProgramVersion)
        appendLog(state, answer.getValue("latest_intro"));
    if (answer.exists("menu"))
        sink.post({kFeedbackMenu, 0, std::nullopt, menusOf(answer.getObject("menu"))});
    if (std::string page = textOf(answer, "load_page"); !page.empty() && acceptAddress(state, page))
        sink.post({kFeedbackLoadPage, 0, makePayloadText(page)});
    if (std::string url = textOf(answer, "open_url"); !url.empty() && acceptAddress(state, url)) {
        if (options.openAddress)
            options.openAddress(url);
    }
    if (std::string message = textOf(answer, "pop_msg"); !message.empty())
        sink.post({kFeedbackMessage, 0, makePayloadText(message)});
}

} // namespace

void requestPageQuietly(AppState& state, const std::string& address)
{
    if (!acceptAddress(state, address))
        return;
    const Config config = state.config;
    const bool started = Workers::startDetached([address, config] {
        HttpRequest request;
        request.url = address;
        request.ignoreCertErrors = config.ignoreCertErrors;
        request.caFile = config.caFile;
        if (applyProxy(request, chooseProxy(config.proxy, request.url)))
            httpRequest(request);
    });
    if (!started)
        appendLog(state, "加载页面失败：" + address);
}

bool retryPause(AppState& state, bool log, const UpdateCheckOptions& options)
{
    if (log)
        appendLog(state, "3秒后重试。。。");
    if (options.quit)
        return !options.quit->waitFor(options.retryDelay);
    std::this_thread::sleep_for(options.retryDelay);
    return true;
}

void updateCheck(AppState& state, FeedbackSink& sink, const UpdateCheckOptions& options)
{
    JsonService answer;
    for (;;) {
        if (options.quit && options.quit->isSet())
            return;
        if (answer.parse(fetchAnswer(state)) && isValidAnswer(answer))
            break;
        if (!retryPause(state, false, options))
            return;
    }
    applyAnswer(state, sink, answer, options);
}

} // namespace zorvane
