#include "tests/support/http_wire.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zorvane::test {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

const char* reasonPhrase(int status)
{
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 407:
        return "Proxy Authentication Required";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

bool hasHeader(const HeaderList& headers, std::string_view name)
{
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return equalsNoCase(header.first, name); });
}

std::optional<std::string> TestRequest::header(std::string_view name) const
{
    for (const auto& [key, value] : headers) {
        if (equalsNoCase(key, name))
            return value;
    }
    return std::nullopt;
}

std::size_t TestRequest::headerCount(std::string_view name) const
{
    return static_cast<std::size_t>(std::count_if(headers.begin(), headers.end(), [&](const auto& header) {
        return equalsNoCase(header.first, name);
    }));
}

std::vector<std::string> TestRequest::headerNames() const
{
    std::vector<std::string> names;
    for (const auto& header : headers)
        names.push_back(header.first);
    return names;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<RequestHead> parseRequestHead(std::string_view head)
{
    RequestHead out;
    std::size_t lineEnd = head.find("\r\n");
    if (lineEnd == std::string_view::npos)
        return std::nullopt;
    std::string_view requestLine = head.substr(0, lineEnd);
    std::size_t sp1 = requestLine.find(' ');
    std::size_t sp2 = requestLine.rfind(' ');
    if (sp1 == std::string_view::npos || sp2 <= sp1)
        return std::nullopt;
    out.request.method = requestLine.substr(0, sp1);
    out.request.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);

    for (std::size_t pos = lineEnd + 2; pos < head.size();) {
        std::size_t end = head.find("\r\n", pos);
        if (end == std::string_view::npos)
            end = head.size();
        std::string_view line = head.substr(pos, end - pos);
        pos = end + 2;
        if (line.empty())
            break;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        std::string name(line.substr(0, colon));
        std::string value(trimmed(line.substr(colon + 1)));
        if (equalsNoCase(name, "Content-Length"))
            out.contentLength = std::strtoull(value.c_str(), nullptr, 10);
        if (equalsNoCase(name, "Expect") && equalsNoCase(value, "100-continue"))
            out.expectContinue = true;
        out.request.headers.emplace_back(std::move(name), std::move(value));
    }
    return out;
}

std::string formatResponseHead(const TestResponse& response)
{
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                       (response.reason.empty() ? reasonPhrase(response.status) : response.reason) + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (response.chunked && !hasHeader(response.headers, "Transfer-Encoding"))
        head += "Transfer-Encoding: chunked\r\n";
    if (!response.chunked && !hasHeader(response.headers, "Content-Length"))
        head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    if (!hasHeader(response.headers, "Connection"))
        head += "Connection: close\r\n";
    return head + "\r\n";
}

std::string formatChunk(std::string_view piece)
{
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    std::string chunk = size;
    chunk.append(piece);
    return chunk + "\r\n";
}

} // namespace zorvane::test
