#include "web/http_request.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/text.h"
#include "web/base64.h"
#include "web/cookies.h"
#include "web/curl_handle.h"
#include "web/request_headers.h"
#include "web/url_text.h"

namespace zorvane {

namespace {

constexpr long kDefaultTimeoutMs = 15000;
constexpr long kMaxRedirects = 10;
constexpr long kUploadBufferBytes = 2L << 20;

// What arrives during one transfer.
struct Received
{
    std::size_t maxBodyBytes = 0;
    std::string body;
    std::vector<std::string> headerLines; // of the latest response only
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* received = static_cast<Received*>(user);
    std::size_t length = size * count;
    if (received->body.size() + length > received->maxBodyBytes)
        return 0; // makes curl abort with CURLE_WRITE_ERROR
    received->body.append(data, length);
    return length;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* received = static_cast<Received*>(user);
    std::string_view line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    // A status line starts a new response (after a redirect or a 1xx answer):
    // only the final response's headers are kept, without its status line.
    if (startsWith(line, "HTTP/"))
        received->headerLines.clear();
    else if (!line.empty())
        received->headerLines.emplace_back(line);
    return size * count;
}

void setMethod(CURL* curl, int method, const std::string& body)
{
    const std::string name = methodName(method);
    if (name == "HEAD") {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        return;
    }
    if (name == "GET" && body.empty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        return;
    }
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    // Plain POST stays a curl POST so that a 301/302/303 turns it into a GET.
    if (name != "POST")
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, name.c_str());
}

// Bounds connecting (resolve, TCP, TLS) by the time-out, and sending and
// receiving by "no progress for that long"; the whole exchange by the four
// phases together.
void setTimeouts(CURL* curl, int timeoutSeconds)
{
    if (timeoutSeconds == -1)
        return;
    long ms = timeoutSeconds < 1 ? kDefaultTimeoutMs : timeoutSeconds * 1000L;
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ms);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, (ms + 999) / 1000));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 4 * ms);
}

bool sendsProxyCredentials(const HttpRequest& request)
{
    return !request.proxy.empty() && !request.proxyUser.empty() && request.proxyMode.value_or(1) == 1;
}

// A SOCKS proxy takes its credentials in its own handshake, not in a header;
// a proxy spoken to over TLS is checked as the server is.
void setProxyTransport(CURL* curl, const HttpRequest& request)
{
    if (startsWith(toLowerAscii(request.proxy), "socks") && sendsProxyCredentials(request)) {
        curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, request.proxyUser.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str());
    }
    if (request.ignoreCertErrors) {
        curl_easy_setopt(curl, CURLOPT_PROXY_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_PROXY_SSL_VERIFYHOST, 0L);
    } else if (!request.caFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_PROXY_CAINFO, request.caFile.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXY_CAPATH, nullptr);
    }
}

// The server's headers: Cookie, then the completed extra headers in order,
// each set explicitly so that curl adds none of its own defaults.
bool buildServerHeaders(const HttpRequest& request, CurlHeaderList& list)
{
    bool ok = true;
    const std::string cookie = request.cookie ? joinCookieLines(*request.cookie) : std::string();
    if (!cookie.empty())
        ok = list.append("Cookie: " + cookie);
    bool hasExpect = false;
    for (const auto& [name, value] : requestHeaderLines(request.extraHeaders)) {
        hasExpect = hasExpect || toLowerAscii(name) == "expect";
        // "Name;" is curl's way of sending a header with an empty value.
        ok = ok && list.append(value.empty() ? name + ";" : name + ": " + value);
    }
    // Large bodies would otherwise wait for "100 Continue".
    if (!hasExpect)
        ok = ok && list.append("Expect:");
    return ok;
}

void setTransport(CURL* curl, const std::string& url, const HttpRequest& request)
{
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // An empty proxy keeps curl from taking one from the environment, and an
    // empty exception list keeps no_proxy from bypassing the one we name.
    curl_easy_setopt(curl, CURLOPT_PROXY, request.proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "");
    curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    setProxyTransport(curl, request);
    if (!request.noRedirect) {
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    }
    // The user's login cookie goes with every request, so peers are verified
    // unless the user explicitly turned that off.
    if (request.ignoreCertErrors) {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    } else {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!request.caFile.empty()) {
            // Instead of the system store, not beside it: without the default
            // directory, libcurl also keeps the parsed bundle for the next
            // connection of the handle.
            curl_easy_setopt(curl, CURLOPT_CAINFO, request.caFile.c_str());
            curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
        }
    }
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBodyBytes));
    // Over TLS, libcurl 7.88 sends no more of a request head than twice this
    // buffer and then waits for the time-out: with the default 64 KB, a walk
    // whose shop had set a few thousand cookies could not fetch another page.
    // With the largest buffer it takes, a head of up to 2 MB goes out whole
    // and a larger one fails at once.
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferBytes);
}

struct Exchange
{
    int status = 0; // 0 when the exchange failed
    CURLcode code = CURLE_OK;
    long connectCode = 0;  // the proxy's answer to a tunnel's CONNECT, 0 = none
    std::string errorText; // libcurl's own words for a failure, with its details
    std::string body;
    std::string headerText;
};

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += "\r\n";
        text += line;
    }
    return text;
}

Exchange perform(CURL* curl, const std::string& url, const HttpRequest& request)
{
    Exchange exchange;
    exchange.code = CURLE_OUT_OF_MEMORY;
    CurlHeaderList serverHeaders;
    CurlHeaderList proxyHeaders;
    if (!buildServerHeaders(request, serverHeaders))
        return exchange;
    // Proxy headers go only to the proxy: in a CONNECT for https, with the
    // request itself for plain http; never through a tunnel to the server.
    if (sendsProxyCredentials(request) &&
        !proxyHeaders.append("Proxy-Authorization: Basic " +
                             base64Encode(request.proxyUser + ":" + request.proxyPassword)))
        return exchange;

    Received received;
    received.maxBodyBytes = request.maxBodyBytes;
    setTransport(curl, url, request);
    setTimeouts(curl, request.timeoutSeconds);
    setMethod(curl, request.method, request.bodyBytes.empty() ? request.bodyText : request.bodyBytes);
    curl_easy_setopt(curl, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, serverHeaders.get());
    curl_easy_setopt(curl, CURLOPT_PROXYHEADER, proxyHeaders.get());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &received);

    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);

    const CURLcode code = curl_easy_perform(curl);
    exchange.code = code;
    exchange.errorText = errorBuffer;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(curl, CURLINFO_HTTP_CONNECTCODE, &exchange.connectCode);
    // The handle may outlive this call; leave it pointing at nothing of ours.
    // A reset keeps its open connection and its TLS session for the next call.
    curl_easy_reset(curl);
    if (code == CURLE_OK) {
        exchange.status = static_cast<int>(status);
        exchange.body = std::move(received.body);
        exchange.headerText = joinLines(received.headerLines);
    }
    return exchange;
}

} // namespace

std::string httpRequest(HttpRequest& request)
{
    std::optional<CurlHandle> ownHandle;
    CurlHandle* handle = request.requestObject;
    if (!handle)
        handle = &ownHandle.emplace();
    if (!handle->valid()) {
        request.failure = HttpFailure::Other;
        request.failureText = curl_easy_strerror(CURLE_FAILED_INIT);
        return {};
    }
    // A caller's handle may carry options of an earlier use; its caches stay.
    curl_easy_reset(handle->get());

    const std::string url = encodeUrlForRequest(request.url);
    completeDefaultHeaders(request.extraHeaders, url);
    Exchange exchange = perform(handle->get(), url, request);

    request.failure = classifyExchange({exchange.code, !request.proxy.empty(), sendsProxyCredentials(request),
                                        exchange.connectCode, exchange.status});
    // A plain-http proxy's refusal is its own page, not the shop's.
    if (request.failure != HttpFailure::None && exchange.status != 0) {
        exchange = Exchange{0, exchange.code, exchange.connectCode, {}, {}, {}};
    }
    request.statusCode = exchange.status;
    if (exchange.code != CURLE_OK)
        request.failureText =
            exchange.errorText.empty() ? curl_easy_strerror(exchange.code) : exchange.errorText;
    else
        request.failureText.clear();
    request.returnedHeaders = normaliseSetCookie(exchange.headerText);
    request.returnedCookie = collectResponseCookies(request.returnedHeaders);
    if (request.mergeCookies.value_or(true) && request.cookie)
        request.returnedCookie = mergeCookieText(*request.cookie, request.returnedCookie);
    return std::move(exchange.body);
}

} // namespace zorvane
