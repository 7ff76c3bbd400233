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
};

// The failure a libcurl result code stands for.
HttpFailure classifyCurlFailure(CURLcode code);

// The short cause the log shows after a failed page: a fixed Chinese text,
// or the transport's own text for the failures without one.
std::string failureCause(HttpFailure failure, const std::string& transportText);

} // namespace zorvane
