#include "base/text.h"

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

// Each sequence is checked alone, after ASCII and after Chinese text of every
// length up to 40 bytes, so that it meets every place of the 16- and
// 32-byte steps and the switch between the ASCII run and the sequence reader.
TEST(Text, Utf8CheckAgreesWithTheSequenceRulesAtEveryPlace)
{
    const struct
    {
        std::string_view bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"\xC2\x80", true},          // lowest two-byte
        {"\xDF\xBF", true},          // highest two-byte
        {"\xC0\x80", false},         // overlong
        {"\xC1\xBF", false},         // overlong
        {"\xE0\xA0\x80", true},      // lowest three-byte
        {"\xE0\x9F\xBF", false},     // overlong
        {"\xED\x9F\xBF", true},      // below the surrogates
        {"\xED\xA0\x80", false},     // surrogate
        {"\xEF\xBF\xBF", true},      // U+FFFF
        {"\xE4\xB8", false},         // cut short
        {"\xF0\x90\x80\x80", true},  // lowest four-byte
        {"\xF0\x8F\xBF\xBF", false}, // overlong
        {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xF5\x80\x80\x80", false}, // no such lead
        {"\xF0\x90\x80", false},     // cut short
        {"\x80", false},             // continuation alone
        {"\xE4\xB8\x80\xBF", false}, // one continuation too many
        {"\xFF", false},
    };
    for (const auto& c : cases) {
        for (std::string_view filler : {std::string_view("a"), std::string_view("\xE4\xB8\x80")}) {
            for (std::size_t before = 0; before <= 40; before += filler.size()) {
                std::string text;
                while (text.size() < before)
                    text.append(filler);
                text.append(c.bytes);
                EXPECT_EQ(isValidUtf8(text), c.valid) << text.size();
                EXPECT_EQ(isValidUtf8(text + "tail of ascii markup to read"), c.valid) << text.size();
                EXPECT_EQ(sanitizeUtf8(text) == text, c.valid) << text.size();
            }
        }
    }
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
