#include "web/request_headers.h"

#include "base/text.h"
#include "web/text_items.h"

namespace zorvane {

namespace {

struct DefaultHeader
{
    std::string_view lookedFor;
    std::string_view line; // the Referer line gets the address appended
};

constexpr DefaultHeader kDefaultHeaders[] = {
    {"Accept:", "Accept: */*"},
    {"Referer:", "Referer: "},
    {"Accept-Language:", "Accept-Language: zh-cn"},
    {"User-Agent:", "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded"},
};

} // namespace

std::string headerName(std::string_view line)
{
    std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string() : trimSpaces(line.substr(0, colon));
}

std::string headerValue(std::string_view line)
{
    std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string() : trimSpaces(line.substr(colon + 1));
}

void completeDefaultHeaders(std::string& headers, std::string_view url)
{
    for (const DefaultHeader& header : kDefaultHeaders) {
        if (!headers.empty() && headers.find(header.lookedFor) != std::string::npos)
            continue;
        if (!headers.empty())
            headers += "\r\n";
        headers += header.line;
        if (header.lookedFor == "Referer:")
            headers += url;
    }
}

std::vector<std::pair<std::string, std::string>> requestHeaderLines(std::string_view headers)
{
    std::vector<std::pair<std::string, std::string>> lines;
    for (const std::string& piece : splitText(headers, "\r\n")) {
        std::string name = headerName(piece);
        if (name.empty() || piece.find_first_of("\r\n") != std::string::npos)
            continue;
        lines.emplace_back(std::move(name), headerValue(piece));
    }
    return lines;
}

std::string normaliseSetCookie(std::string_view headerText)
{
    return replaceAllNoCase(headerText, "Set-Cookie", "Set-Cookie");
}

const char* methodName(int method)
{
    static constexpr const char* kMethods[] = {"GET", "POST", "HEAD", "PUT", "PATCH", "DELETE"};
    return method >= 0 && method <= 5 ? kMethods[method] : kMethods[0];
}

} // namespace zorvane
