#include "services/regex_service.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace zorvane {
namespace {

// Every case runs with JIT and with the interpreter: both paths must agree.
class RegexServiceTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override { RegexService::setJitEnabled(GetParam()); }
    void TearDown() override { RegexService::setJitEnabled(true); }
};

void expectEmpty(const RegexService& re)
{
    int position = 0;
    EXPECT_EQ(re.matchCount(), 0);
    EXPECT_EQ(re.subMatchCount(), 0);
    EXPECT_EQ(re.matchText(1, &position), "");
    EXPECT_EQ(position, -1);
    EXPECT_EQ(re.subMatchText(1, 1), "");
    EXPECT_EQ(re.pattern(), "");
    EXPECT_EQ(re.replace("x"), "");
}

TEST_P(RegexServiceTest, NoMatchIsASuccessfulRunWithoutMatches)
{
    RegexService re;
    ASSERT_TRUE(re.create("(\\d+)元", "没有价格"));
    EXPECT_EQ(re.matchCount(), 0);
    EXPECT_EQ(re.matchText(1), "");
    EXPECT_EQ(re.subMatchCount(), 0);
    EXPECT_EQ(re.pattern(), "(\\d+)元");
    EXPECT_EQ(re.replace("x"), "没有价格");
}

TEST_P(RegexServiceTest, GlobalWalksAllMatchesAndNonGlobalStopsAtTheFirst)
{
    const std::string subject = "a1 b2 c3";
    RegexService re;
    ASSERT_TRUE(re.create("([a-z])(\\d)", subject, {.global = false}));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.matchText(1), "a1");
    EXPECT_EQ(re.matchText(2), "");

    ASSERT_TRUE(re.create("([a-z])(\\d)", subject));
    ASSERT_EQ(re.matchCount(), 3);
    EXPECT_EQ(re.subMatchCount(), 2);
    EXPECT_EQ(re.matchText(3), "c3");
    EXPECT_EQ(re.subMatchText(2, 1), "b");
    EXPECT_EQ(re.subMatchText(2, 2), "2");
    EXPECT_EQ(re.subMatchText(2, 3), "");
    EXPECT_EQ(re.subMatchText(2, 0), "");
    EXPECT_EQ(re.matchText(0), "");
    EXPECT_EQ(re.matchText(4), "");
}

TEST_P(RegexServiceTest, PositionsAreByteOffsetsOfMatchesAndGroups)
{
    RegexService re;
    ASSERT_TRUE(re.create("价格：(\\d+)(元)?", "甲价格：12元 乙价格：345"));
    ASSERT_EQ(re.matchCount(), 2);
    int position = 0;
    EXPECT_EQ(re.matchText(1, &position), "价格：12元");
    EXPECT_EQ(position, 3);
    EXPECT_EQ(re.subMatchText(1, 1, &position), "12");
    EXPECT_EQ(position, 12);
    EXPECT_EQ(re.subMatchText(2, 1, &position), "345");
    EXPECT_EQ(position, 30);
    // The optional group took no part in match 2.
    EXPECT_EQ(re.subMatchText(2, 2, &position), "");
    EXPECT_EQ(position, -1);
    EXPECT_EQ(re.matchText(3, &position), "");
    EXPECT_EQ(position, -1);
}

TEST_P(RegexServiceTest, InvalidPatternFailsAndLeavesNothingToRead)
{
    RegexService re;
    ASSERT_TRUE(re.create("a", "aaa"));
    EXPECT_FALSE(re.create("(abc", "abc"));
    expectEmpty(re);
    EXPECT_FALSE(re.create("[", "["));
    expectEmpty(re);
}

TEST_P(RegexServiceTest, SecondCreateReplacesTheFirstRunEntirely)
{
    RegexService re;
    ASSERT_TRUE(re.create("(\\w)(\\w)", "abcdef"));
    ASSERT_EQ(re.matchCount(), 3);
    ASSERT_TRUE(re.create("x(y)?", "zx"));
    EXPECT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.subMatchCount(), 1);
    EXPECT_EQ(re.matchText(1), "x");
    EXPECT_EQ(re.matchText(2), "");
    EXPECT_EQ(re.subMatchText(1, 1), "");
    EXPECT_EQ(re.subMatchText(1, 2), "");
    EXPECT_EQ(re.replace("-"), "z-");
}

TEST_P(RegexServiceTest, QuoteMarkerStandsForADoubleQuoteOnlyWhenAsked)
{
    const std::string pattern = "id=#引号(\\d+)#引号";
    RegexService re;
    ASSERT_TRUE(re.create(pattern, "<a id=\"42\">", {.quoteMarker = true}));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.subMatchText(1, 1), "42");
    EXPECT_EQ(re.pattern(), "id=\"(\\d+)\"");

    ASSERT_TRUE(re.create(pattern, "<a id=\"42\">"));
    EXPECT_EQ(re.matchCount(), 0);
    ASSERT_TRUE(re.create(pattern, "<a id=#引号7#引号>"));
    EXPECT_EQ(re.subMatchText(1, 1), "7");
}

TEST_P(RegexServiceTest, CaseIsIgnoredUnlessCaseSensitive)
{
    RegexService re;
    ASSERT_TRUE(re.create("<li class=\"x\">", "<LI CLASS=\"x\"><li class=\"X\">"));
    EXPECT_EQ(re.matchCount(), 2);
    ASSERT_TRUE(re.create("<li class=\"x\">", "<LI CLASS=\"x\"><li class=\"X\">", {.caseSensitive = true}));
    EXPECT_EQ(re.matchCount(), 0);
}

TEST_P(RegexServiceTest, IgnoringCaseFoldsAsciiLettersOnly)
{
    // U+017F (long s) and U+212A (Kelvin sign) fold to s and k in Unicode, never in a script's search.
    const std::string longS = "\xC5\xBF";
    const std::string kelvin = "\xE2\x84\xAA";
    const struct
    {
        std::string pattern;
        std::string subject;
        int matches;
        bool caseSensitive = false;
    } cases[] = {
        {"data-sku", "data-" + longS + "ku DATA-SKU data-s" + kelvin + "u", 1},
        {"[a-z]+", longS + kelvin, 0},
        {"[^a-z]", longS + "s" + kelvin, 2},
        {"[r-t]", "S", 1},
        {"[\\x41-\\x43\\u0073]", "bS" + longS, 2},
        {"\\x53\\u006B", "sK s" + kelvin, 1},
        {"[[:upper:]]", "a" + longS, 1},
        {"\\QS.K\\E", "s.k sxk", 1},
        {"[-k]", "-K", 2},
        {"(s)\\1", "sS s", 1},
        {"\\U(?i)\\U|(?-i)k", "Uu uu K", 1, true},
        {"(?i)s(?-i:s)", "Ss SS " + longS + "s", 1, true},
        {"(?i:k)k", "KkKK", 1, true},
        {"\\p{Lu}(?#x)\\d", "A1a1", 1},
        {"\u00E9", "\u00C9", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern + " on " + c.subject);
        RegexService re;
        ASSERT_TRUE(re.create(c.pattern, c.subject, {.caseSensitive = c.caseSensitive}));
        EXPECT_EQ(re.matchCount(), c.matches);
    }
}

TEST_P(RegexServiceTest, DotStopsAtLineFeedButNotAtCarriageReturn)
{
    RegexService re;
    ASSERT_TRUE(re.create("<b>(.*?)</b>", "<b>one\n</b><b>two\rthree</b>"));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.subMatchText(1, 1), "two\rthree");
    ASSERT_TRUE(re.create("<b>([\\s\\S]*?)</b>", "<b>one\n</b>"));
    EXPECT_EQ(re.subMatchText(1, 1), "one\n");
}

TEST_P(RegexServiceTest, MultiLineAnchorsMatchAtLineBreaks)
{
    RegexService re;
    ASSERT_TRUE(re.create("^\\w+$", "ab\ncd"));
    EXPECT_EQ(re.matchCount(), 2);
    ASSERT_TRUE(re.create("^\\w+$", "ab\ncd", {.multiLine = false}));
    EXPECT_EQ(re.matchCount(), 0);
}

TEST_P(RegexServiceTest, ClassEscapesAreAsciiAndNonAsciiCountsAsNonWord)
{
    RegexService re;
    ASSERT_TRUE(re.create("\\d+", "１２3"));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.matchText(1), "3");
    // \W takes a whole multi-byte character, never half of one.
    ASSERT_TRUE(re.create("\\Wname", "中name"));
    EXPECT_EQ(re.matchText(1), "中name");
    ASSERT_TRUE(re.create("a\\sb", "a\tb a\xE3\x80\x80"
                                   "b"));
    EXPECT_EQ(re.matchCount(), 1);
}

TEST_P(RegexServiceTest, EmptyMatchesAdvanceByWholeCharacters)
{
    RegexService re;
    ASSERT_TRUE(re.create("x*", "a中x"));
    ASSERT_EQ(re.matchCount(), 4);
    int position = 0;
    std::vector<int> starts;
    for (int i = 1; i <= re.matchCount(); ++i) {
        re.matchText(i, &position);
        starts.push_back(position);
    }
    EXPECT_EQ(starts, (std::vector<int>{0, 1, 4, 5}));
    EXPECT_EQ(re.matchText(3), "x");
}

TEST_P(RegexServiceTest, SubjectThatIsNotUtf8Fails)
{
    RegexService re;
    EXPECT_FALSE(re.create("a", "abc\xFF"));
    EXPECT_EQ(re.matchCount(), 0);
    EXPECT_FALSE(re.create("b", std::string("a\xC3", 2) + "b"));
}

TEST_P(RegexServiceTest, CatastrophicBacktrackingFailsInsteadOfHanging)
{
    RegexService re;
    EXPECT_FALSE(re.create("(a+)+$", std::string(64, 'a') + "b"));
    EXPECT_EQ(re.matchCount(), 0);
    // The same pattern on a kind subject still works.
    ASSERT_TRUE(re.create("(a+)+$", std::string(64, 'a')));
    EXPECT_EQ(re.matchCount(), 1);
}

TEST_P(RegexServiceTest, ReplaceUsesGroupReferencesAndTheRunsGlobalFlag)
{
    RegexService re;
    ASSERT_TRUE(re.create("(\\d+)元", "3元 和 45元"));
    EXPECT_EQ(re.replace("[$1]"), "[3] 和 [45]");
    EXPECT_EQ(re.replace("$$"), "$ 和 $");
    ASSERT_TRUE(re.create("(\\d+)元", "3元 和 45元", {.global = false}));
    EXPECT_EQ(re.replace("¥$1"), "¥3 和 45元");
    // A reference to a group the pattern lacks is an error, not literal text.
    EXPECT_EQ(re.replace("$7"), "");
}

TEST_P(RegexServiceTest, ReplaceGrowsPastTheFirstBufferGuess)
{
    RegexService re;
    ASSERT_TRUE(re.create("a", std::string(1000, 'a')));
    std::string replaced = re.replace("bcd");
    EXPECT_EQ(replaced.size(), 3000u);
    EXPECT_EQ(replaced.substr(0, 6), "bcdbcd");
}

TEST_P(RegexServiceTest, CopyKeepsMatchesAfterTheOriginalIsDestroyed)
{
    RegexService re;
    ASSERT_TRUE(re.create("(\\w+)@", "ann@ bob@"));
    RegexService copy = re.copy();
    re.destroy();
    expectEmpty(re);
    EXPECT_EQ(copy.matchCount(), 2);
    EXPECT_EQ(copy.subMatchText(2, 1), "bob");
    EXPECT_EQ(copy.pattern(), "(\\w+)@");
    EXPECT_EQ(copy.replace("$1"), "ann bob");
}

TEST_P(RegexServiceTest, NewAndMovedFromInstancesReadEmptyAndCanRunAgain)
{
    RegexService fresh;
    expectEmpty(fresh);

    RegexService source;
    ASSERT_TRUE(source.create("b", "abc"));
    RegexService target(std::move(source));
    EXPECT_EQ(target.matchText(1), "b");
    expectEmpty(source); // NOLINT(bugprone-use-after-move): moved-from must stay usable
    ASSERT_TRUE(source.create("c", "abc"));
    EXPECT_EQ(source.matchCount(), 1);
}

TEST_P(RegexServiceTest, InstancesOutliveAFullPatternCache)
{
    RegexService early;
    ASSERT_TRUE(early.create("(e)(a)", "early"));
    // Far more distinct patterns than the cache holds.
    RegexService other;
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(other.create("p" + std::to_string(i), "p" + std::to_string(i)));
    EXPECT_EQ(other.matchCount(), 1);
    EXPECT_EQ(early.replace("$2$1"), "aerly");
    ASSERT_TRUE(early.create("(e)(a)", "seal"));
    EXPECT_EQ(early.matchText(1), "ea");
}

TEST_P(RegexServiceTest, ThreadsShareCompiledPatternsSafely)
{
    std::string subject;
    for (int i = 0; i < 200; ++i)
        subject += "<i>" + std::to_string(i) + "</i>\n";
    std::vector<int> counts(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < counts.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                RegexService re;
                // Alternating patterns keep compiling and cache look-ups racing.
                std::string pattern = round % 2 ? "<i>(\\d+)</i>" : "<I>(\\d+)</I>\\s";
                if (re.create(pattern, subject) && re.subMatchText(200, 1) == "199")
                    ++counts[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counts, std::vector<int>(4, 20));
}

INSTANTIATE_TEST_SUITE_P(JitAndInterpreter, RegexServiceTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& run) {
                             return run.param ? "Jit" : "Interpreter";
                         });

} // namespace
} // namespace zorvane
