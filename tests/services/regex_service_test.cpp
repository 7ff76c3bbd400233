#include "services/regex_service.h"

#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/node_script.h"

namespace zorvane {
namespace {

// Patterns in the syntax a script's RegExp and PCRE2 read alike, and short
// subjects for them. Left out where the two differ: '.', \v, back
// references, look-behind, and repeats of what may match nothing (a script
// refuses an empty turn, PCRE2 takes it).
class PatternMaker
{
public:
    explicit PatternMaker(unsigned seed) : m_random(seed) {}

    std::string pattern() { return alternation(2).text; }

    std::string subject()
    {
        static const char* const kPieces[] = {"a",  "A",  "b", "k", "K", "n",  "N",        "r",
                                              "R",  "s",  "S", "t", "T", "x",  "z",        "Z",
                                              "0",  "9",  "_", "-", " ", "\n", "\r",       "\t",
                                              "\f", "\b", ".", "(", "$", "\\", "\xC5\xBF", "\xE2\x84\xAA",
                                              "中"};
        std::string text;
        for (int n = below(9); n > 0; --n)
            text += kPieces[below(std::size(kPieces))];
        return text;
    }

private:
    struct Piece
    {
        std::string text;
        bool mayBeEmpty = false;
    };

    int below(std::size_t n)
    {
        return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(m_random);
    }

    // A code point, mostly a letter that names an escape or folds oddly.
    std::uint32_t code()
    {
        static const std::uint32_t kCodes[] = {'a', 'A', 'k',  'K',  'n',  'N',   'r',    'R',
                                               's', 'S', 't',  'T',  'x',  'z',   'Z',    '0',
                                               '_', ' ', '\n', '\r', '\t', 0x17F, 0x212A, 0x4E2D};
        return kCodes[below(std::size(kCodes))];
    }

    std::string hex(std::uint32_t value, int digits)
    {
        static const char* const kDigits[] = {"0123456789abcdef", "0123456789ABCDEF"};
        const char* set = kDigits[below(2)];
        std::string text;
        for (int i = digits - 1; i >= 0; --i)
            text += set[(value >> (4 * i)) & 15];
        return text;
    }

    // The code point as itself or as an escape.
    std::string spelled(std::uint32_t c, bool inClass)
    {
        const int how = below(4);
        if (c == '\n' || c == '\r' || c == '\t')
            return how < 2 ? std::string(c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t") : "\\x" + hex(c, 2);
        if (how == 0 && c < 0x100)
            return "\\x" + hex(c, 2);
        if (how == 1)
            return "\\u" + hex(c, 4);
        if (c >= 0x80)
            return c == 0x17F ? "\xC5\xBF" : c == 0x212A ? "\xE2\x84\xAA" : "中";
        if (inClass && c == '-')
            return "\\-";
        return std::string(1, static_cast<char>(c));
    }

    std::string charClass()
    {
        static const char* const kMembers[] = {"\\d", "\\D", "\\w",  "\\W", "\\s", "\\S", "\\b", "\\f",
                                               "\\-", "\\]", "\\\\", "\\^", ".",   "$",   "(",   "|"};
        std::string text = below(3) == 0 ? "[^" : "[";
        for (int n = 1 + below(3); n > 0; --n) {
            const int kind = below(3);
            if (kind == 0) {
                text += kMembers[below(std::size(kMembers))];
            } else if (kind == 1) {
                text += spelled(code(), true);
            } else {
                const std::uint32_t one = code();
                const std::uint32_t other = code();
                text += spelled(std::min(one, other), true) + "-" + spelled(std::max(one, other), true);
            }
        }
        return text + "]";
    }

    Piece atom(int depth)
    {
        static const char* const kEscapes[] = {"\\d",  "\\D", "\\w", "\\W", "\\s", "\\S", "\\f", "\\.",
                                               "\\*",  "\\(", "\\)", "\\[", "\\]", "\\{", "\\|", "\\$",
                                               "\\\\", "\\/", "\\?", "\\+", "\\^", "-",   ",",   " "};
        static const char* const kAssertions[] = {"\\b", "\\B", "^", "$"};
        switch (below(depth > 0 ? 7 : 5)) {
        case 0:
        case 1:
            return {spelled(code(), false)};
        case 2:
            return {kEscapes[below(std::size(kEscapes))]};
        case 3:
            return {charClass()};
        case 4:
            return {kAssertions[below(std::size(kAssertions))], true};
        case 5: {
            const Piece inside = alternation(depth - 1);
            static const char* const kOpen[] = {"(", "(?:", "(?=", "(?!"};
            const int open = below(std::size(kOpen));
            return {kOpen[open] + inside.text + ")", open >= 2 || inside.mayBeEmpty};
        }
        default: {
            const Piece inside = alternation(depth - 1);
            return {"(" + inside.text + ")", inside.mayBeEmpty};
        }
        }
    }

    Piece term(int depth)
    {
        Piece piece = atom(depth);
        if (piece.mayBeEmpty || below(2) == 0)
            return piece;
        static const char* const kRepeats[] = {"?", "*", "+", "{2}", "{0,2}", "{1,}"};
        const int repeat = below(std::size(kRepeats));
        piece.text += kRepeats[repeat];
        if (below(4) == 0)
            piece.text += '?';
        piece.mayBeEmpty = repeat == 0 || repeat == 1 || repeat == 4;
        return piece;
    }

    Piece alternation(int depth)
    {
        Piece whole;
        const int branches = below(3) == 0 ? 2 : 1;
        for (int branch = 0; branch < branches; ++branch) {
            Piece sequence{"", true};
            for (int n = below(4); n >= 0; --n) {
                const Piece next = term(depth);
                sequence.text += next.text;
                sequence.mayBeEmpty = sequence.mayBeEmpty && next.mayBeEmpty;
            }
            whole.text += (branch > 0 ? "|" : "") + sequence.text;
            whole.mayBeEmpty = whole.mayBeEmpty || sequence.mayBeEmpty;
        }
        return whole;
    }

    std::mt19937 m_random;
};

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
        // Escapes for characters that are no letters stay themselves.
        {"[\\n\\t]", "nNtT\n\t", 2},
        {"[^\\r\\n]+", "RN\rx", 2},
        // Octal, \o{}, \N{U+} and \c escapes for letters fold as the letters do.
        {"\\101\\o{102}\\N{U+43}", "abc ABC", 2},
        {"[\\101-\\103\\o{144}\\N{U+65}]", "bDE", 3},
        {"\\113", "k" + kelvin, 1},
        {"\\c![\\c\"]", "AB ab", 2},
        // Ranges from or to ']' and '-', and a '[' that opens no POSIX class.
        {"[]-a]", "`A", 2},
        {"[--/]", ".", 1},
        {"[[=]x", "=X", 1},
        // With \x in its script form, \x{2} is an x twice.
        {"\\x{2}", "xX", 1},
        // \9 with more digits than any group number is the digit, the rest literal.
        {"\\98765432104?", "9876543210", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern + " on " + c.subject);
        RegexService re;
        ASSERT_TRUE(re.create(c.pattern, c.subject, {.caseSensitive = c.caseSensitive}));
        EXPECT_EQ(re.matchCount(), c.matches);
    }
}

// Every match as [start, length] in UTF-16 code units, as a script counts
// them (the subjects hold no character beyond the first plane).
nlohmann::json matchesInCodeUnits(const RegexService& re, const std::string& subject)
{
    nlohmann::json matches = nlohmann::json::array();
    const auto units = [&](std::size_t from, std::size_t to) {
        int n = 0;
        for (std::size_t i = from; i < to; ++i)
            n += (static_cast<unsigned char>(subject[i]) & 0xC0) != 0x80;
        return n;
    };
    for (int i = 1; i <= re.matchCount(); ++i) {
        int position = 0;
        const std::string text = re.matchText(i, &position);
        const auto start = static_cast<std::size_t>(position);
        matches.push_back({units(0, start), units(start, start + text.size())});
    }
    return matches;
}

TEST_P(RegexServiceTest, IgnoringCaseMatchesWhatAScriptsRegExpMatches)
{
    if (!test::nodeAvailable())
        GTEST_SKIP() << "node is not installed";
    PatternMaker maker(27);
    nlohmann::json cases = nlohmann::json::array();
    for (int i = 0; i < 1500; ++i) {
        nlohmann::json subjects = nlohmann::json::array();
        for (int n = 0; n < 6; ++n)
            subjects.push_back(maker.subject());
        cases.push_back({{"pattern", maker.pattern()}, {"subjects", subjects}});
    }
    const std::optional<std::string> answer = test::runNodeScript(R"(
        const cases = JSON.parse(require('fs').readFileSync(0, 'utf8'));
        process.stdout.write(JSON.stringify(cases.map(c => {
            let re;
            try { re = new RegExp(c.pattern, 'gi'); } catch (e) { return null; }
            return c.subjects.map(s => Array.from(s.matchAll(re), m => [m.index, m[0].length]));
        })));
    )",
                                                                  cases.dump());
    ASSERT_TRUE(answer);
    const nlohmann::json expected = nlohmann::json::parse(*answer);
    ASSERT_EQ(expected.size(), cases.size());
    int compared = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (expected[i].is_null())
            continue; // the script engine refuses the pattern
        const std::string pattern = cases[i]["pattern"];
        for (std::size_t n = 0; n < cases[i]["subjects"].size(); ++n) {
            const std::string subject = cases[i]["subjects"][n];
            SCOPED_TRACE(nlohmann::json(pattern).dump() + " on " + nlohmann::json(subject).dump());
            RegexService re;
            ASSERT_TRUE(re.create(pattern, subject, {.multiLine = false}));
            EXPECT_EQ(matchesInCodeUnits(re, subject), expected[i][n]);
            ++compared;
        }
    }
    EXPECT_GT(compared, 8000);
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
