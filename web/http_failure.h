#pragma once

#include <string>

#include <curl/curl.h>

namespace zorvane {

// Why an exchange ended without a status.
enum class HttpFailure
{
    None,
    Refused,        // nobody accepts connections at the address
    BadCertificate, // the server's certificate did not pass the check
    TimedOut,
    UnknownHost,    // the host name could not be resolved
    ConnectionLost, // the connection broke during the exchange
    BadAddress,     // the address can never be requested as it stands
    Other,          // see the transport's own text
    HeadTooLarge,   // the request head (its cookie, mostly) is over what is ever sent: not sent
    // Failures of the proxy, not of the shop: told as such, so that a user
    // looks at the proxy setting rather than at the shop.
    ProxyRefused,     // nobody accepts connections at the proxy's address
    ProxyUnknownHost, // the proxy's host name could not be resolved
    ProxyCredentials, // the proxy refused the user name or password (401 or 407)
    ProxyTunnel,      // the proxy answered the tunnel's request with another refusal
    ProxyUnusable,    // the proxy address cannot be used as written
};

// The failure a libcurl result code stands for.
HttpFailure classifyCurlFailure(CURLcode code);

// How an exchange ended, as far as telling its failure needs.
struct ExchangeEnd
{
    CURLcode code = CURLE_OK;
    bool viaProxy = false;
    bool sentProxyCredentials = false;
    long connectCode = 0; // the proxy's answer to a tunnel's CONNECT, 0 = no tunnel
    long status = 0;      // the final status: a plain-http proxy answers in place of the shop
};

// The failure of an exchange, the proxy's own refusals included.
HttpFailure classifyExchange(const ExchangeEnd& end);

// True for the failures that asking again cannot mend: the certificate, the
// proxy's refusal of the credentials, an unusable proxy address.
bool isLastingFailure(HttpFailure failure);

// The short cause the log shows after a failed page: a fixed Chinese text,
// or the transport's own text for the failures without one.
std::string failureCause(HttpFailure failure, const std::string& transportText);

} // namespace zorvane
