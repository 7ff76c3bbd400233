#include "core/text.h"

#include <gtest/gtest.h>

using namespace zorvane;

TEST(Text, SpacesAreAsciiAndFullWidthOnly)
{
    EXPECT_EQ(removeSpaces(" a\xE3\x80\x80"
                           "b \t\r\nc "),
              "ab\t\r\nc");
    EXPECT_EQ(trimSpaces("\xE3\x80\x80 x y \xE3\x80\x80"), "x y");
    EXPECT_EQ(trimSpaces("\tx\t"), "\tx\t");
    EXPECT_EQ(trimSpaces("   "), "");
    // A full-width space must not be cut in half by a trailing ASCII test.
    EXPECT_EQ(trimSpaces("\xE4\xB8\x80\xE3\x80\x80"), "\xE4\xB8\x80");
}

TEST(Text, SplitKeepsMiddleEmptiesAndDropsLastEmpty)
{
    EXPECT_TRUE(splitText("", ";").empty());
    EXPECT_EQ(splitText("a;;b;", ";"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitText(";", ";"), (std::vector<std::string>{""}));
    EXPECT_EQ(splitText("a\r\nb", "\r\n"), (std::vector<std::string>{"a", "b"}));
}

TEST(Text, SanitizeReplacesOnlyInvalidSequences)
{
    EXPECT_EQ(sanitizeUtf8("ok\xE4\xB8\x80"), "ok\xE4\xB8\x80");
    EXPECT_EQ(sanitizeUtf8("a\xFF"
                           "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(sanitizeUtf8("\xE4\xB8"), "\xEF\xBF\xBD");
    EXPECT_EQ(sanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Text, WebAddressesAreHttpAndHttpsOnly)
{
    EXPECT_TRUE(isWebAddress("https://item.jd.com/1.html"));
    EXPECT_TRUE(isWebAddress("HTTP://x"));
    EXPECT_FALSE(isWebAddress("file:///etc/passwd"));
    EXPECT_FALSE(isWebAddress("https:///x"));
    EXPECT_FALSE(isWebAddress("javascript:alert(1)"));
    EXPECT_FALSE(isWebAddress("/usr/bin/xterm"));
}
