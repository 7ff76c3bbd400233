#include "web/http_failure.h"

namespace zorvane {

HttpFailure classifyCurlFailure(CURLcode code)
{
    switch (code) {
    case CURLE_OK:
        return HttpFailure::none;
    case CURLE_COULDNT_CONNECT:
        return HttpFailure::refused;
    case CURLE_PEER_FAILED_VERIFICATION:
        return HttpFailure::badCertificate;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpFailure::timedOut;
    case CURLE_COULDNT_RESOLVE_HOST:
        return HttpFailure::unknownHost;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return HttpFailure::connectionLost;
    case CURLE_URL_MALFORMAT:
        return HttpFailure::badAddress;
    default:
        return HttpFailure::other;
    }
}

std::string failureCause(HttpFailure failure, const std::string& transportText)
{
    switch (failure) {
    case HttpFailure::refused:
        return "连接被拒绝";
    case HttpFailure::badCertificate:
        return "证书无效";
    case HttpFailure::timedOut:
        return "超时";
    case HttpFailure::unknownHost:
        return "无法解析主机名";
    case HttpFailure::connectionLost:
        return "连接中断";
    default:
        return transportText;
    }
}

} // namespace zorvane
