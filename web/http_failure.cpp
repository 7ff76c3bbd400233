#include "web/http_failure.h"

namespace zorvane {

HttpFailure classifyCurlFailure(CURLcode code)
{
    switch (code) {
    case CURLE_OK:
        return HttpFailure::None;
    case CURLE_COULDNT_CONNECT:
        return HttpFailure::Refused;
    case CURLE_PEER_FAILED_VERIFICATION:
        return HttpFailure::BadCertificate;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpFailure::TimedOut;
    case CURLE_COULDNT_RESOLVE_HOST:
        return HttpFailure::UnknownHost;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return HttpFailure::ConnectionLost;
    case CURLE_URL_MALFORMAT:
        return HttpFailure::BadAddress;
    default:
        return HttpFailure::Other;
    }
}

HttpFailure classifyExchange(const ExchangeEnd& end)
{
    if (!end.viaProxy)
        return classifyCurlFailure(end.code);
    // Some proxies (tinyproxy) answer wrong credentials with 401, not 407; the
    // shop itself never asks for HTTP authentication.
    const bool refusal =
        end.connectCode == 407 || end.connectCode == 401 ||
        (end.code == CURLE_OK && (end.status == 407 || (end.status == 401 && end.sentProxyCredentials)));
    if (refusal)
        return HttpFailure::ProxyCredentials;
    if (end.connectCode >= 300)
        return HttpFailure::ProxyTunnel;
    // Through a proxy, the only connection libcurl makes itself is the proxy's.
    if (end.code == CURLE_COULDNT_CONNECT)
        return HttpFailure::ProxyRefused;
    if (end.code == CURLE_COULDNT_RESOLVE_PROXY)
        return HttpFailure::ProxyUnknownHost;
    return classifyCurlFailure(end.code);
}

bool isLastingFailure(HttpFailure failure)
{
    return failure == HttpFailure::BadCertificate || failure == HttpFailure::ProxyCredentials ||
           failure == HttpFailure::ProxyUnusable;
}

std::string failureCause(HttpFailure failure, const std::string& transportText)
{
    switch (failure) {
    case HttpFailure::Refused:
        return "连接被拒绝";
    case HttpFailure::BadCertificate:
        return transportText.empty() ? "证书无效" : "证书无效：" + transportText;
    case HttpFailure::TimedOut:
        return "超时";
    case HttpFailure::UnknownHost:
        return "无法解析主机名";
    case HttpFailure::ConnectionLost:
        return "连接中断";
    case HttpFailure::ProxyRefused:
        return "代理连接被拒绝";
    case HttpFailure::ProxyUnknownHost:
        return "无法解析代理主机名";
    case HttpFailure::ProxyCredentials:
        return "代理拒绝了用户名或密码";
    case HttpFailure::ProxyTunnel:
        return "代理未能连接到商店：" + transportText;
    case HttpFailure::ProxyUnusable:
        return "代理地址无法使用：" + transportText;
    default:
        return transportText;
    }
}

} // namespace zorvane
