#include "web/request_headers.h"

#include <gtest/gtest.h>

using namespace zorvane;

namespace {

const std::string kUrl = "https://so.example.com/list?coupon=1";
const std::string kAccept = "Accept: */*";
const std::string kReferer = "Referer: " + kUrl;
const std::string kLanguage = "Accept-Language: zh-cn";
const std::string kAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const std::string kType = "Content-Type: application/x-www-form-urlencoded";

std::string completed(std::string headers)
{
    completeDefaultHeaders(headers, kUrl);
    return headers;
}

} // namespace

TEST(HeaderLine, NameAndValueAroundTheFirstColon)
{
    EXPECT_EQ(headerName("  Accept :  text/html  "), "Accept");
    EXPECT_EQ(headerValue("  Accept :  text/html  "), "text/html");
    EXPECT_EQ(headerValue("Referer: http://x:1/a"), "http://x:1/a");
    EXPECT_EQ(headerName("\u3000X-A\u3000:\u3000v\u3000"), "X-A");
    EXPECT_EQ(headerValue("\u3000X-A\u3000:\u3000v\u3000"), "v");
    EXPECT_EQ(headerValue("X:\tv"), "\tv");
    EXPECT_EQ(headerName("no colon here"), "");
    EXPECT_EQ(headerValue("no colon here"), "");
    EXPECT_EQ(headerName(": v"), "");
    EXPECT_EQ(headerValue("X-Empty:"), "");
}

TEST(CompleteDefaultHeaders, EmptyTextGetsAllFiveInOrder)
{
    EXPECT_EQ(completed(""),
              kAccept + "\r\n" + kReferer + "\r\n" + kLanguage + "\r\n" + kAgent + "\r\n" + kType);
}

TEST(CompleteDefaultHeaders, LookupIsCaseSensitive)
{
    EXPECT_EQ(completed("accept: text/html"), "accept: text/html\r\n" + kAccept + "\r\n" + kReferer + "\r\n" +
                                                  kLanguage + "\r\n" + kAgent + "\r\n" + kType);
}

TEST(CompleteDefaultHeaders, CallersLineSuppressesOnlyItsDefault)
{
    EXPECT_EQ(completed("Referer: x"),
              "Referer: x\r\n" + kAccept + "\r\n" + kLanguage + "\r\n" + kAgent + "\r\n" + kType);
    EXPECT_EQ(completed("User-Agent: me\r\nCookie2: q"), "User-Agent: me\r\nCookie2: q\r\n" + kAccept +
                                                             "\r\n" + kReferer + "\r\n" + kLanguage + "\r\n" +
                                                             kType);
}

TEST(CompleteDefaultHeaders, CompletedTextStaysAsItIs)
{
    std::string once = completed("X-A: 1");
    EXPECT_EQ(completed(once), once);
    // The Referer of the first address is kept for later pages.
    std::string later = once;
    completeDefaultHeaders(later, "https://other.example.com/");
    EXPECT_EQ(later, once);
}

TEST(RequestHeaderLines, OrderedPairsWithoutEmptyOrNamelessPieces)
{
    using Lines = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(requestHeaderLines("B: 2\r\nA: 1\r\n"), (Lines{{"B", "2"}, {"A", "1"}}));
    EXPECT_EQ(requestHeaderLines("B: 2\r\n\r\nno colon\r\n: v\r\nX-Empty:\r\nA:1"),
              (Lines{{"B", "2"}, {"X-Empty", ""}, {"A", "1"}}));
    EXPECT_EQ(requestHeaderLines("Only: one"), (Lines{{"Only", "one"}}));
    EXPECT_EQ(requestHeaderLines(""), Lines{});
}

TEST(RequestHeaderLines, StrayLineBreaksAreNotSent)
{
    using Lines = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(requestHeaderLines("A: 1\nB: 2\r\nC: 3"), (Lines{{"C", "3"}}));
    EXPECT_EQ(requestHeaderLines("A: 1\r\nB: 2\r"), (Lines{{"A", "1"}}));
}

TEST(NormaliseSetCookie, EveryCaseBecomesOne)
{
    EXPECT_EQ(normaliseSetCookie("set-cookie: a=1; path=/\r\nSET-COOKIE: b=2\r\nX-A: sEt-CoOkIe"),
              "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nX-A: Set-Cookie");
    EXPECT_EQ(normaliseSetCookie("Content-Type: text/html"), "Content-Type: text/html");
}

TEST(MethodName, CodesAndFallback)
{
    EXPECT_STREQ(methodName(0), "GET");
    EXPECT_STREQ(methodName(1), "POST");
    EXPECT_STREQ(methodName(2), "HEAD");
    EXPECT_STREQ(methodName(3), "PUT");
    EXPECT_STREQ(methodName(4), "PATCH");
    EXPECT_STREQ(methodName(5), "DELETE");
    EXPECT_STREQ(methodName(6), "GET");
    EXPECT_STREQ(methodName(7), "GET");
    EXPECT_STREQ(methodName(-1), "GET");
}
