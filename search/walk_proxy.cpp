#include "search/walk_proxy.h"

#include "core/app_state.h"
#include "core/walk_events.h"
#include "search/search_job.h"
#include "web/http_failure.h"

namespace zorvane {

std::string proxyLogLine(const ProxyChoice& choice)
{
    if (choice.source == ProxySource::None)
        return {};
    std::string line = (choice.proxy ? "经代理访问：" : "代理地址无效：") + hidePassword(choice.text);
    if (choice.source == ProxySource::Environment)
        line += "（环境变量" + choice.variable + "）";
    return line;
}

bool announceProxy(AppState& state, WalkObserver& observer, SearchJob& job)
{
    const ProxyChoice choice = chooseProxy(state.config.proxy, job.params.nextPageAddress);
    if (std::string line = proxyLogLine(choice); !line.empty())
        observer.logLine(job.logPrefix + line);
    if (choice.usable())
        return true;
    if (job.endAtLastingFailure) {
        job.ending = WalkEndReason::LastingFailure;
        job.lastingFailure = failureCause(HttpFailure::ProxyUnusable, hidePassword(choice.text));
        return false;
    }
    job.pausedItself = true;
    state.walk.pauseItself();
    return false;
}

} // namespace zorvane
