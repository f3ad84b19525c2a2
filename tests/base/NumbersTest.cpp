#include "base/Errors.h"
#include "base/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(StrToFloat, ReadsDecimalsWithAFullStop) {
    EXPECT_DOUBLE_EQ(base::StrToFloat("57.43"), 57.43);
    EXPECT_DOUBLE_EQ(base::StrToFloat("  1200 "), 1200);
    EXPECT_DOUBLE_EQ(base::StrToFloat("-0.5"), -0.5);
    EXPECT_DOUBLE_EQ(base::StrToFloat("+.25"), 0.25);
    EXPECT_DOUBLE_EQ(base::StrToFloat("1e3"), 1000);
}

TEST(StrToFloat, RejectsTextThatIsNotADecimalNumber) {
    for (const char* text :
         {"", "   ", "abc", "12,5", "1.2.3", "12 5", "inf", "nan", "0x10", ".", "--1", "1e"}) {
        EXPECT_THROW(base::StrToFloat(text), base::ConvertError) << text;
    }
}

TEST(StrToInt, ReadsThirtyTwoBitIntegersOnly) {
    EXPECT_EQ(base::StrToInt("12"), 12);
    EXPECT_EQ(base::StrToInt(" -7 "), -7);
    EXPECT_EQ(base::StrToInt("2147483647"), 2147483647);
    for (const char* text : {"", "1.5", "2147483648", "12a", "+-1", "one"}) {
        EXPECT_THROW(base::StrToInt(text), base::ConvertError) << text;
    }
}

TEST(FormatGeneral, WritesTheShortestTextWithFifteenSignificantDigits) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {100, "100"},
        {1200, "1200"},
        {57.5, "57.5"},
        {static_cast<double>(57.43f), "57.4300003051758"},
        {static_cast<double>(12.3f), "12.3000001907349"},
        {1.0 / 3.0, "0.333333333333333"},
        {-2.25, "-2.25"},
        {1e20, "1E20"},
        {1.5e-7, "1.5E-7"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(base::FormatGeneral(c.value), c.text) << c.text;
    }
}

TEST(FormatFixed, WritesTheGivenNumberOfDecimals) {
    EXPECT_EQ(base::FormatFixed(12.5f, 2), "12.50");
    EXPECT_EQ(base::FormatFixed(0, 2), "0.00");
    EXPECT_EQ(base::FormatFixed(-3.14159, 2), "-3.14");
}

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour) {
    struct Case {
        double value;
        int64_t rounded;
    };
    const Case cases[] = {{0.5, 0},       {1.5, 2},       {2.5, 2},      {3.5, 4},
                          {-0.5, 0},      {-1.5, -2},     {-2.5, -2},    {48.5, 48},
                          {87.72, 88},    {2.4999, 2},    {-100, -100},  {500.5, 500},
                          {1000.5, 1000}, {5000.5, 5000}, {3.5000001, 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(base::RoundHalfEven(c.value), c.rounded) << c.value;
    }
}

}  // namespace
