#include "web/cookies.h"

#include <gtest/gtest.h>

#include "web/text_items.h"

using namespace zorvane;

namespace {

// Runs the merge on copies and returns the result with both variables.
struct Merged
{
    std::string result;
    std::string oldAfter;
    std::string newAfter;
};

Merged merge(std::string oldCookie, std::string newCookie)
{
    std::string result = mergeCookieText(oldCookie, newCookie);
    return {result, oldCookie, newCookie};
}

} // namespace

TEST(CollectResponseCookies, TakesTheFirstPairOfEachSetCookieLine)
{
    EXPECT_EQ(collectResponseCookies("Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2"), "a=1; b=2");
    EXPECT_EQ(
        collectResponseCookies("Content-Type: text/html\r\nSet-Cookie: sid=xyz; Expires=Wed, 21 Oct 2037 "
                               "07:28:00 GMT; HttpOnly\r\nContent-Length: 3\r\n"),
        "sid=xyz");
    // The value keeps its own "=" signs.
    EXPECT_EQ(collectResponseCookies("Set-Cookie: t=a=b==; Secure"), "t=a=b==");
}

TEST(CollectResponseCookies, NoSetCookieGivesEmpty)
{
    EXPECT_EQ(collectResponseCookies(""), "");
    EXPECT_EQ(collectResponseCookies("Content-Type: text/html\r\nX-A: 1"), "");
    // Only the exact case counts; the caller normalises first.
    EXPECT_EQ(collectResponseCookies("set-cookie: a=1; path=/"), "");
}

TEST(CollectResponseCookies, LineWithoutAttributesDropsTheNameInAnyCase)
{
    EXPECT_EQ(collectResponseCookies("Set-Cookie: z=9"), "z=9");
    EXPECT_EQ(collectResponseCookies("Set-Cookie: SET-COOKIE:q"), "q");
    EXPECT_EQ(collectResponseCookies("Set-Cookie:\u3000a=1\u3000; path=/\r\nSet-Cookie:  b=2 "), "a=1; b=2");
}

TEST(CollectResponseCookies, MalformedLineWithSemicolonGivesAnEmptyEntry)
{
    EXPECT_EQ(collectResponseCookies("Set-Cookie : a=1; path=/\r\nSet-Cookie: b=2"), "; b=2");
    EXPECT_EQ(collectResponseCookies("Set-Cookie: b=2\r\nSet-Cookie : a=1; path=/"), "b=2; ");
    EXPECT_EQ(collectResponseCookies("Set-Cookie : a=1; path=/"), "");
}

TEST(MergeCookieText, NewEntriesFirstThenOldOnesTheyLack)
{
    Merged m = merge("a=1; b=2", "b=3; c=4");
    EXPECT_EQ(m.result, "b=3; c=4; a=1");
    EXPECT_EQ(m.oldAfter, "b=3; c=4; a=1");
    EXPECT_EQ(m.newAfter, "b=3;c=4");
}

TEST(MergeCookieText, DeletedEntriesRemoveTheCookieAndThemselves)
{
    EXPECT_EQ(merge("a=1; b=2", "b=deleted").result, "a=1");
    EXPECT_EQ(merge("c=deleted; a=1", "").result, "a=1");
    EXPECT_EQ(merge("a=1", "a=deleted").result, "");
}

TEST(MergeCookieText, SpacesAreRemovedAndSeparatorsNormalised)
{
    EXPECT_EQ(merge("a = 1 ;b=2", "").result, "a=1; b=2");
    Merged fullWidth = merge("a=1;\u3000b=2", " c = 3\u3000");
    EXPECT_EQ(fullWidth.result, "c=3; a=1; b=2");
    EXPECT_EQ(fullWidth.newAfter, "c=3");
    EXPECT_EQ(merge("", "").result, "");
}

TEST(MergeCookieText, OfOldEntriesWithOneNameOnlyTheFirstSurvives)
{
    EXPECT_EQ(merge("x=1; x=2", "").result, "x=1");
    EXPECT_EQ(merge("x=1; y=0; x=2", "y=5").result, "y=5; x=1");
}

TEST(MergeCookieText, NewEntriesOfOneNameStayUnlessIdentical)
{
    EXPECT_EQ(merge("", "a=1; a=2").result, "a=1; a=2");
    EXPECT_EQ(merge("a=0", "a=1; a=1").result, "a=1");
}

TEST(MergeCookieText, EntryWithoutEqualsSignIsACookieNamedByItself)
{
    EXPECT_EQ(merge("flag; a=1", "").result, "flag; a=1");
    EXPECT_EQ(merge("flag; a=1", "flag=on").result, "flag=on; a=1");
    EXPECT_EQ(merge("flag=on", "flag").result, "flag");
}

TEST(MergeCookieText, EmptyEntryIsKept)
{
    EXPECT_EQ(merge("a=1;;b=2", "").result, "a=1; ; b=2");
}

TEST(MergeCookieText, NamesAreCaseSensitive)
{
    EXPECT_EQ(merge("SID=1", "sid=2").result, "sid=2; SID=1");
}

TEST(CookieEntryName, TextBeforeTheFirstEqualsSignTrimmed)
{
    EXPECT_EQ(cookieEntryName("a=1"), "a");
    EXPECT_EQ(cookieEntryName(" \u3000a b =1=2"), "a b");
    EXPECT_EQ(cookieEntryName("flag"), "flag");
    EXPECT_EQ(cookieEntryName("=v"), "");
    EXPECT_EQ(cookieEntryName(""), "");
}

TEST(HasCookieNamed, ExactNameMatch)
{
    std::vector<std::string> entries{"a=1", " b =2", "flag"};
    EXPECT_TRUE(hasCookieNamed(entries, "a"));
    EXPECT_TRUE(hasCookieNamed(entries, "b"));
    EXPECT_TRUE(hasCookieNamed(entries, "flag"));
    EXPECT_FALSE(hasCookieNamed(entries, "A"));
    EXPECT_FALSE(hasCookieNamed(entries, "a=1"));
    EXPECT_FALSE(hasCookieNamed({}, ""));
    EXPECT_TRUE(hasCookieNamed({"", "x=1"}, ""));
}

TEST(IndexOfItem, OneBasedFirstMatch)
{
    std::vector<std::string> items{"a", "b", "a", ""};
    EXPECT_EQ(indexOfItem(items, "a"), 1);
    EXPECT_EQ(indexOfItem(items, "b"), 2);
    EXPECT_EQ(indexOfItem(items, ""), 4);
    EXPECT_EQ(indexOfItem(items, "A"), -1);
    EXPECT_EQ(indexOfItem({}, "a"), -1);
}

TEST(RemoveDuplicateItems, KeepsFirstOccurrences)
{
    EXPECT_EQ(removeDuplicateItems("a|b|a|c|b", "|"), "a|b|c");
    EXPECT_EQ(removeDuplicateItems("a; ; ; b", "; "), "a; ; b");
    EXPECT_EQ(removeDuplicateItems("a; b; ", "; "), "a; b");
    EXPECT_EQ(removeDuplicateItems("", "; "), "");
    EXPECT_EQ(removeDuplicateItems("x", "; "), "x");
}

TEST(TextBetween, InnerTextOfTheFirstMarkerPair)
{
    EXPECT_EQ(textBetween("x=[1]", "[", "]"), "1");
    EXPECT_EQ(textBetween("a[1]b[2]", "[", "]"), "1");
    EXPECT_EQ(textBetween("[]", "[", "]"), "");
    EXPECT_EQ(textBetween("价格：¥12.50元", "¥", "元"), "12.50");
}

TEST(TextBetween, MissingOrEmptyMarkerGivesEmpty)
{
    EXPECT_EQ(textBetween("x=[1", "[", "]"), "");
    EXPECT_EQ(textBetween("x=1]", "[", "]"), "");
    EXPECT_EQ(textBetween("x=]1[", "[", "]"), "");
    EXPECT_EQ(textBetween("x=[1]", "", "]"), "");
    EXPECT_EQ(textBetween("x=[1]", "[", ""), "");
}

TEST(TextBetween, QuotePlaceholder)
{
    EXPECT_EQ(textBetween(R"({"k":5,"m":"v"})", "#引号k#引号:", ","), "5");
    EXPECT_EQ(textBetween(R"({"k":5,"m":"v"})", "#引号m#引号:#引号", "#引号"), "v");
    EXPECT_EQ(textBetween(R"(k:5,)", "#引号k#引号:", ","), "");
}

TEST(TextBetween, StartPositionIsOneBased)
{
    EXPECT_EQ(textBetween("a[1]b[2]", "[", "]", 0), "1");
    EXPECT_EQ(textBetween("a[1]b[2]", "[", "]", 1), "1");
    EXPECT_EQ(textBetween("a[1]b[2]", "[", "]", 2), "1");
    EXPECT_EQ(textBetween("a[1]b[2]", "[", "]", 3), "2");
    EXPECT_EQ(textBetween("a[1]b[2]", "[", "]", -4), "1");
    EXPECT_EQ(textBetween("a[1]b[2]", "[", "]", 9), "");
    EXPECT_EQ(textBetween("a[1]b[2]", "[", "]", 100), "");
}

TEST(TextBetween, CaseInsensitiveWhenAsked)
{
    EXPECT_EQ(textBetween("X=<B>v</B>", "<b>", "</b>"), "");
    EXPECT_EQ(textBetween("X=<B>v</B>", "<b>", "</b>", 0, true), "v");
    EXPECT_EQ(textBetween("<b>v</B>", "<b>", "</b>", 0, false), "");
}

TEST(ReplaceAllNoCase, AnyMixOfCase)
{
    EXPECT_EQ(replaceAllNoCase("set-cookie SET-COOKIE Set-Cookie", "set-cookie", "X"), "X X X");
    EXPECT_EQ(replaceAllNoCase("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceAllNoCase("abc", "", "z"), "abc");
}

// A cookie pasted over several lines, and a Set-Cookie line whose value
// carries a line break, separate entries as "; " does: no CR or LF is left
// to reach a header.
TEST(MergeCookieText, LineBreaksSeparateEntries)
{
    const struct
    {
        const char* oldCookie;
        const char* newCookie;
        const char* result;
    } rows[] = {
        {"a=1\r\nb=2", "", "a=1; b=2"},           {"a=1\n\nb=2\r", "", "a=1; b=2"},
        {"a=1;\r\n b=2", "c=3", "c=3; a=1; b=2"}, {"a=1", "b=2\nc=3", "b=2; c=3; a=1"},
        {"a=1\rb=2", "b=5\r\n", "b=5; a=1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.oldCookie);
        const Merged m = merge(row.oldCookie, row.newCookie);
        EXPECT_EQ(m.result, row.result);
        EXPECT_EQ(m.oldAfter.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(m.newAfter.find_first_of("\r\n"), std::string::npos);
    }
}
