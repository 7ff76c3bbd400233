#include "web/http_request.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/text.h"
#include "web/base64.h"
#include "web/cookies.h"
#include "web/curl_handle.h"
#include "web/request_headers.h"
#include "web/url_parts.h"
#include "web/url_text.h"

namespace zorvane {

namespace {

constexpr long kDefaultTimeoutMs = 15000;
constexpr long kMaxRedirects = 10;
constexpr long kUploadBufferBytes = 2L << 20;
// libcurl 7.88 builds a request head in a buffer of at most 1 MiB; a larger
// head ends in its "Out of memory" before anything is sent.
constexpr std::size_t kMaxHeadBytes = std::size_t{1} << 20;

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

// The header lines a request to its own host carries: Cookie, then the
// completed extra headers in order. To another host (where a redirect led)
// only the default headers go: the cookie and the caller's own headers
// (a token, a login) are for the host they were given for.
std::vector<std::string> serverHeaderLines(const HttpRequest& request, const std::string& url, bool ownHost)
{
    std::vector<std::string> lines;
    const std::string cookie = request.cookie && ownHost ? joinCookieLines(*request.cookie) : std::string();
    if (!cookie.empty())
        lines.push_back("Cookie: " + cookie);
    std::string defaults;
    if (!ownHost)
        completeDefaultHeaders(defaults, url);
    for (const auto& [name, value] : requestHeaderLines(ownHost ? request.extraHeaders : defaults))
        // "Name;" is curl's way of sending a header with an empty value.
        lines.push_back(value.empty() ? name + ";" : name + ": " + value);
    return lines;
}

// At least the size of the head a request would send: its line, Host, the
// lines and, to a plain http proxy, the proxy's credentials.
std::size_t headBytes(const std::string& url, const std::vector<std::string>& lines,
                      const HttpRequest& request)
{
    constexpr std::size_t kRequestLineAndHost = 256;
    std::size_t bytes = 2 * url.size() + kRequestLineAndHost;
    for (const std::string& line : lines)
        bytes += line.size() + 2;
    if (sendsProxyCredentials(request))
        bytes += 2 * (request.proxyUser.size() + request.proxyPassword.size()) + kRequestLineAndHost;
    return bytes;
}

// Each line set explicitly so that curl adds none of its own defaults.
bool buildServerHeaders(const std::vector<std::string>& lines, CurlHeaderList& list)
{
    bool ok = true;
    bool hasExpect = false;
    for (const std::string& line : lines) {
        const std::string lower = toLowerAscii(line.substr(0, 7));
        hasExpect = hasExpect || lower == "expect:" || lower == "expect;";
        ok = ok && list.append(line);
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
    // With the largest buffer it takes, every head libcurl builds (see
    // kMaxHeadBytes) goes out whole.
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
    std::string location; // where a redirect leads, absolute
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

// One request of an exchange: the address asked for or one a redirect led to.
struct Hop
{
    std::string url;
    int method = 0;
    bool keepsBody = true; // false once a redirect turned the request into a GET
    bool ownHost = true;   // the host the caller named
};

Exchange perform(CURL* curl, const Hop& hop, const std::vector<std::string>& headerLines,
                 const HttpRequest& request)
{
    Exchange exchange;
    exchange.code = CURLE_OUT_OF_MEMORY;
    CurlHeaderList serverHeaders;
    CurlHeaderList proxyHeaders;
    if (!buildServerHeaders(headerLines, serverHeaders))
        return exchange;
    // Proxy headers go only to the proxy: in a CONNECT for https, with the
    // request itself for plain http; never through a tunnel to the server.
    if (sendsProxyCredentials(request) &&
        !proxyHeaders.append("Proxy-Authorization: Basic " +
                             base64Encode(request.proxyUser + ":" + request.proxyPassword)))
        return exchange;

    Received received;
    received.maxBodyBytes = request.maxBodyBytes;
    setTransport(curl, hop.url, request);
    setTimeouts(curl, request.timeoutSeconds);
    // curl reads the body from where it lies, during the transfer.
    static const std::string kNoBody;
    const std::string& body = !hop.keepsBody              ? kNoBody
                              : request.bodyBytes.empty() ? request.bodyText
                                                          : request.bodyBytes;
    setMethod(curl, hop.method, body);
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
    const char* location = nullptr;
    curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location);
    if (location)
        exchange.location = location;
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

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string hostOf(const std::string& url)
{
    const std::optional<UrlParts> parts = splitUrl(url);
    return parts ? bareHost(parts->host) : std::string();
}

// The exchange with the redirects followed here rather than by libcurl,
// which would hand the caller's headers to any host a server names.
Exchange follow(CURL* curl, const std::string& url, const HttpRequest& request)
{
    const std::string host = hostOf(url);
    Hop hop{url, request.method, true, true};
    for (long redirects = 0;; ++redirects) {
        const std::vector<std::string> lines = serverHeaderLines(request, hop.url, hop.ownHost);
        Exchange exchange = perform(curl, hop, lines, request);
        if (request.noRedirect || !isRedirect(exchange.status) || exchange.location.empty())
            return exchange;
        if (redirects == kMaxRedirects)
            return Exchange{0, CURLE_TOO_MANY_REDIRECTS, 0, {}, {}, {}, {}};
        // A 303 (and a 301 or 302 after a POST) turns into a GET without a
        // body, as browsers and libcurl do.
        const std::string method = methodName(hop.method);
        if ((exchange.status == 303 && method != "HEAD") ||
            ((exchange.status == 301 || exchange.status == 302) && method == "POST")) {
            hop.method = 0;
            hop.keepsBody = false;
        }
        hop.url = exchange.location;
        hop.ownHost = hostOf(hop.url) == host;
    }
}

// The words for a head that is never sent.
std::string headTooLargeText(std::size_t bytes, const HttpRequest& request)
{
    const std::size_t cookie = request.cookie ? joinCookieLines(*request.cookie).size() : 0;
    return "请求头过长：共" + std::to_string(bytes) + "字节（其中Cookie " + std::to_string(cookie) +
           "字节），超过" + std::to_string(kMaxHeadBytes >> 20) + " MB的上限，未发送";
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
    // A shop that set cookies page after page can grow the cookie past what
    // libcurl sends; it would only say "Out of memory".
    const std::size_t bytes = headBytes(url, serverHeaderLines(request, url, true), request);
    Exchange exchange = bytes > kMaxHeadBytes ? Exchange{} : follow(handle->get(), url, request);

    request.failure = classifyExchange({exchange.code, !request.proxy.empty(), sendsProxyCredentials(request),
                                        exchange.connectCode, exchange.status});
    // A plain-http proxy's refusal is its own page, not the shop's.
    if (request.failure != HttpFailure::None && exchange.status != 0) {
        exchange = Exchange{0, exchange.code, exchange.connectCode, {}, {}, {}, {}};
    }
    request.statusCode = exchange.status;
    if (exchange.code != CURLE_OK)
        request.failureText =
            exchange.errorText.empty() ? curl_easy_strerror(exchange.code) : exchange.errorText;
    else
        request.failureText.clear();
    if (bytes > kMaxHeadBytes) {
        request.failure = HttpFailure::HeadTooLarge;
        request.failureText = headTooLargeText(bytes, request);
    }
    request.returnedHeaders = normaliseSetCookie(exchange.headerText);
    request.returnedCookie = collectResponseCookies(request.returnedHeaders);
    if (request.mergeCookies.value_or(true) && request.cookie)
        request.returnedCookie = mergeCookieText(*request.cookie, request.returnedCookie);
    return std::move(exchange.body);
}

} // namespace zorvane
