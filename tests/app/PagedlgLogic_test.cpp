#include "app/PagedlgLogic.h"

#include <gtest/gtest.h>

TEST(PrintMargins, Texts)
{
    const std::pair<int, const char*> cases[] = {
        {25, "2,50 cm"}, {0, "0,00 cm"}, {-3, "0,00 cm"}, {32, "3,20 cm"}, {99, "9,90 cm"},
        {100, "10,00 cm"}, {101, "10,10 cm"}, {1000, "100,00 cm"}, {1234, "123,40 cm"},
    };
    for (const auto& [tenths, text] : cases)
        EXPECT_EQ(MarginText(tenths), text) << tenths;
}

TEST(PrintMargins, ReadBack)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"2,50 cm", 25}, {"3,25 cm", 32}, {"3,35 cm", 34}, {"10,00 cm", 100}, {"100,00 cm", 1000},
        {"-1,00 cm", 0}, {"+1,5", 15},    {"7", 70},       {"cm", std::nullopt}, {"", std::nullopt},
        {"1,2,3", std::nullopt}, {"2.5 cm", 20},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(ReadMarginText(text), want) << text;
    // Every shown value reads back as itself, so the spin buttons never stick.
    for (int v = 0; v <= 1200; ++v)
        ASSERT_EQ(ReadMarginText(MarginText(v)), v) << v;
}
