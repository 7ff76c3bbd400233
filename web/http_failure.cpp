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

std::string failureCause(HttpFailure failure, const std::string& transportText)
{
    switch (failure) {
    case HttpFailure::Refused:
        return "连接被拒绝";
    case HttpFailure::BadCertificate:
        return "证书无效";
    case HttpFailure::TimedOut:
        return "超时";
    case HttpFailure::UnknownHost:
        return "无法解析主机名";
    case HttpFailure::ConnectionLost:
        return "连接中断";
    default:
        return transportText;
    }
}

} // namespace zorvane
