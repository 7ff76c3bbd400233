// A run over a subject with many starting points that each read on to its
// end costs time quadratic in its length, however low the match limit:
// PCRE2 counts that limit afresh at every start. The run clock ends it.
#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include "search/patterns.h"
#include "services/regex_service.h"

using namespace std::chrono_literals;

namespace zorvane {
namespace {

// Two megabytes of name blocks without a name: well over a minute unclocked.
std::string nameBlocksWithoutName()
{
    std::string subject;
    for (int i = 0; i < 100000; ++i)
        subject += "<div class=\"p-name\">";
    return subject;
}

TEST(RegexRunClock, RunThatReadsOnFromEveryStartFailsInBoundedTime)
{
    for (bool jit : {true, false}) {
        SCOPED_TRACE(jit ? "jit" : "interpreter");
        RegexService::setJitEnabled(jit);
        auto run = std::async(std::launch::async, [] {
            RegexService regex;
            return regex.create(kNamePattern, nameBlocksWithoutName(), {.global = false});
        });
        // Ends after the two seconds of its clock; a minute is the hang bound.
        ASSERT_EQ(run.wait_for(60s), std::future_status::ready) << "the run was not stopped";
        EXPECT_FALSE(run.get());
    }
    RegexService::setJitEnabled(true);
}

TEST(RegexRunClock, DeadlineEndsEveryRunOfItsThreadWhileItLives)
{
    RegexService regex;
    {
        const RegexDeadline spent(0ms);
        EXPECT_FALSE(regex.create("b", "abc"));
        EXPECT_EQ(regex.matchCount(), 0);
        {
            // A later, longer deadline does not lift the earlier one.
            const RegexDeadline longer(10s);
            EXPECT_FALSE(regex.create("b", "abc"));
        }
        EXPECT_FALSE(regex.create("b", "abc"));
    }
    EXPECT_TRUE(regex.create("b", "abc"));
    {
        const RegexDeadline outer(10s);
        {
            const RegexDeadline inner(0ms);
            EXPECT_FALSE(regex.create("b", "abc"));
        }
        ASSERT_TRUE(regex.create("b", "abc"));
        EXPECT_EQ(regex.matchText(1), "b");
    }
    // Other threads are not bound by this thread's deadline.
    const RegexDeadline spent(0ms);
    auto other = std::async(std::launch::async, [] { return RegexService().create("b", "abc"); });
    EXPECT_TRUE(other.get());
}

TEST(RegexRunClock, ClockLeavesPatternsAsTheyAre)
{
    RegexService regex;
    // Invalid alone, though valid inside the clock's wrapper.
    EXPECT_FALSE(regex.create("a)(b", "a)(b"));
    EXPECT_EQ(regex.pattern(), "");
    // Items that must open the pattern still work (without a clock).
    ASSERT_TRUE(regex.create("(*LF)a.c", "abc a\nc"));
    EXPECT_EQ(regex.matchCount(), 1);
    // Alternatives, groups and the pattern text are those given.
    ASSERT_TRUE(regex.create("x|(b)(c)", "abcx"));
    EXPECT_EQ(regex.pattern(), "x|(b)(c)");
    EXPECT_EQ(regex.matchCount(), 2);
    EXPECT_EQ(regex.subMatchCount(), 2);
    EXPECT_EQ(regex.subMatchText(1, 2), "c");
    EXPECT_EQ(regex.matchText(2), "x");
    // A group that took no part is replaced by nothing, as in ECMAScript.
    EXPECT_EQ(regex.replace("[$1]"), "a[b][]");
}

} // namespace
} // namespace zorvane
