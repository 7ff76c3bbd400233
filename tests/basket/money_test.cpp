#include "basket/money.h"

#include <gtest/gtest.h>

using namespace zorvane::basket;

TEST(Money, ReadsYuanExactly)
{
    const struct
    {
        const char* text;
        std::optional<Cents> cents;
    } rows[] = {
        {"299", 29900},
        {"0.1", 10},
        {"0.29", 29},
        {"19.99", 1999},
        {".5", 50},
        {"12.", 1200},
        {"0", 0},
        {"10000000", kMaxCents},
        {"10000000.01", std::nullopt},
        {"1.005", std::nullopt},
        {"-1", std::nullopt},
        {"1e3", std::nullopt},
        {"", std::nullopt},
        {".", std::nullopt},
        {"1,5", std::nullopt},
        {" 1", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(parseYuan(row.text), row.cents) << row.text;
    EXPECT_EQ(yuanText(31250), "312.50");
    EXPECT_EQ(centsOfPrice(0.29), 29);
}
