#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tests/support/test_server.h"

// The HTTP/1.1 text the test server reads and writes.
namespace zorvane::test {

struct RequestHead
{
    TestRequest request; // without the body
    std::size_t contentLength = 0;
    bool expectContinue = false;
};

// Parses the request line and headers (head ends with the empty line).
std::optional<RequestHead> parseRequestHead(std::string_view head);

// Status line and headers of the answer, ending with the empty line.
std::string formatResponseHead(const TestResponse& response);

// One chunk of a chunked body; an empty piece gives the last chunk.
std::string formatChunk(std::string_view piece);

bool equalsNoCase(std::string_view a, std::string_view b);

// True when a header of that name (ASCII case-insensitive) is in the list.
bool hasHeader(const HeaderList& headers, std::string_view name);

} // namespace zorvane::test
