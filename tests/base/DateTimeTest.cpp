#include "base/DateTime.h"
#include "base/Errors.h"

#include <gtest/gtest.h>

namespace {

TEST(DateTime, CountsDaysFromTheEndOf1899) {
    EXPECT_DOUBLE_EQ(base::EncodeDateTime({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(base::EncodeDateTime({1970, 1, 1, 0, 0, 0}), 25569.0);
    EXPECT_DOUBLE_EQ(base::EncodeDateTime({2000, 1, 1, 12, 0, 0}), 36526.5);
    EXPECT_THROW(base::EncodeDateTime({2009, 2, 29, 0, 0, 0}), base::ConvertError);
    EXPECT_THROW(base::EncodeDateTime({2009, 1, 1, 24, 0, 0}), base::ConvertError);
}

TEST(DateTime, WritesTwoDigitsForEveryPartButTheYear) {
    EXPECT_EQ(base::FormatDateTime(base::EncodeDateTime({2009, 3, 3, 8, 5, 9})),
              "2009-03-03 08:05:09");
    EXPECT_EQ(base::FormatDateTime(base::EncodeDateTime({2024, 12, 31, 23, 59, 59})),
              "2024-12-31 23:59:59");
}

TEST(DateTime, DecodesWhatItEncodes) {
    const base::DateTimeParts parts{2024, 2, 29, 17, 45, 30, 250};
    const base::DateTimeParts back = base::DecodeDateTime(base::EncodeDateTime(parts));
    EXPECT_EQ(back.year, 2024);
    EXPECT_EQ(back.month, 2);
    EXPECT_EQ(back.day, 29);
    EXPECT_EQ(back.hour, 17);
    EXPECT_EQ(back.minute, 45);
    EXPECT_EQ(back.second, 30);
    EXPECT_EQ(back.millisecond, 250);
}

TEST(ParseDateTime, ReadsTheMarketplaceFormWithOneOrTwoDigitParts) {
    EXPECT_DOUBLE_EQ(base::ParseDateTime("2009-03-03 08:05:09"),
                     base::EncodeDateTime({2009, 3, 3, 8, 5, 9}));
    EXPECT_DOUBLE_EQ(base::ParseDateTime("2009-3-3 8:5:9"),
                     base::EncodeDateTime({2009, 3, 3, 8, 5, 9}));
    EXPECT_DOUBLE_EQ(base::DefaultDateTime(), 25569.0);
}

TEST(ParseDateTime, RejectsEveryOtherForm) {
    for (const char* text :
         {"", "2009-03-03", "2009/03/03 08:05:09", "2009-03-03T08:05:09", "2009-13-01 00:00:00",
          "2009-02-30 00:00:00", "2009-03-03 25:00:00", "2009-03-03 08:05", "2009-03-03 08:05:09x",
          "soon", "2009-003-03 08:05:09"}) {
        EXPECT_THROW(base::ParseDateTime(text), base::ConvertError) << text;
    }
}

TEST(NowLocal, IsTodayOnTheLocalClock) {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    const base::DateTimeParts now = base::DecodeDateTime(base::NowLocal());
    // The day may roll over between the two readings only at midnight; the year does not move.
    EXPECT_EQ(now.year, local.tm_year + 1900);
}

}  // namespace
