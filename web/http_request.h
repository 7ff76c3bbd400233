#pragma once

#include <optional>
#include <string>

#include "web/http_failure.h"

namespace zorvane {

class CurlHandle; // a reusable request object (an easy handle), see curl_handle.h

// One synchronous HTTP exchange. Fields mirror the operation's parameters:
// optional fields are the ones whose absence matters; in/out fields are
// written back after the exchange.
struct HttpRequest
{
    std::string url;                         // in, required
    int method = 0;                          // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 PATCH, 5 DELETE; others GET
    std::string bodyText;                    // in, sent when bodyBytes is empty
    std::optional<std::string> cookie;       // in/out; given = merged cookie written back
    std::string returnedCookie;              // out
    std::string extraHeaders;                // in/out: completed header text written back
    std::string returnedHeaders;             // out: final response's headers
    int statusCode = 0;                      // out
    HttpFailure failure = HttpFailure::None; // out: why statusCode is 0
    std::string failureText;                 // out: the transport's own words for it
    bool noRedirect = false;                 // in
    std::string bodyBytes;                   // in: raw body bytes, win over bodyText
    std::string proxy;                       // in: [scheme://]host:port, "" = none (environment ignored)
    int timeoutSeconds = 0;                  // in: -1 = curl's own, <1 = 15 s
    std::string proxyUser;                   // in
    std::string proxyPassword;               // in
    std::optional<int> proxyMode;            // in: only 1 (the default) sends credentials
    CurlHandle* requestObject = nullptr;     // in: reuse this handle (and its open connection)
    std::optional<bool> mergeCookies;        // in: default true

    // Transport settings the original left to the platform.
    bool ignoreCertErrors = false;                    // accept untrusted/expired/mismatched certificates
    std::string caFile;                               // trust only this CA bundle ("" = system store)
    std::size_t maxBodyBytes = std::size_t{64} << 20; // larger bodies fail the exchange
};

// Performs the exchange and returns the body bytes. Never throws: any failure
// gives an empty body and status 0.
std::string httpRequest(HttpRequest& request);

// Call once at start-up, before any thread makes requests.
void httpGlobalInit();

} // namespace zorvane
