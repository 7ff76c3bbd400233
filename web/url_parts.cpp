#include "web/url_parts.h"

#include <memory>

#include <curl/curl.h>

#include "base/text.h"

namespace zorvane {

namespace {

std::string urlPart(CURLU* url, CURLUPart part, unsigned int flags = 0)
{
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || !text)
        return {};
    std::string value(text);
    curl_free(text);
    return value;
}

} // namespace

std::optional<UrlParts> splitUrl(std::string_view url, bool guessScheme)
{
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), &curl_url_cleanup);
    const std::string copy(url);
    const unsigned int flags = CURLU_NON_SUPPORT_SCHEME | (guessScheme ? CURLU_GUESS_SCHEME : 0u);
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, copy.c_str(), flags) != CURLUE_OK)
        return std::nullopt;
    CURLU* u = handle.get();
    return UrlParts{toLowerAscii(urlPart(u, CURLUPART_SCHEME)),
                    urlPart(u, CURLUPART_USER, CURLU_URLDECODE),
                    urlPart(u, CURLUPART_PASSWORD, CURLU_URLDECODE),
                    urlPart(u, CURLUPART_HOST),
                    urlPart(u, CURLUPART_PORT),
                    urlPart(u, CURLUPART_PATH),
                    urlPart(u, CURLUPART_QUERY)};
}

std::string bareHost(std::string_view host)
{
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return toLowerAscii(host);
}

} // namespace zorvane
