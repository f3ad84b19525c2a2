#include "QvSearchArgs.h"

#include <gtest/gtest.h>

namespace qvsearch {
namespace {

TEST(QvSearchArgs, DefaultsAndKeywordWords) {
    const TArgs args = ParseArgs({"手机", "壳"});
    EXPECT_EQ(args.keyword, "手机 壳");
    EXPECT_FALSE(args.gateway.has_value());
    EXPECT_EQ(args.startPrice, "");
    EXPECT_EQ(args.endPrice, "");
    EXPECT_EQ(args.minLevel, 0);
    EXPECT_FALSE(args.force);
    EXPECT_EQ(args.count, 10);
    EXPECT_EQ(args.version, "1.00");
    EXPECT_EQ(args.parallel, 8);
    EXPECT_FALSE(args.noCache);
    EXPECT_FALSE(args.help);
}

TEST(QvSearchArgs, OptionsInEitherFormAmongTheWords) {
    const TArgs args =
        ParseArgs({"--count", "5", "a", "--force", "b", "--min-level=20", "--start-price", "1,000",
                   "--end-price=0", "--version", "2.0 beta", "--gateway",
                   "http://127.0.0.1:9/sip/rest", "--parallel", "1", "--no-cache", "--", "--help"});
    EXPECT_EQ(args.keyword, "a b --help");
    EXPECT_EQ(args.count, 5);
    EXPECT_TRUE(args.force);
    EXPECT_EQ(args.minLevel, 20);
    EXPECT_EQ(args.startPrice, "1,000");
    EXPECT_EQ(args.endPrice, "0");
    EXPECT_EQ(args.version, "2.0 beta");
    EXPECT_EQ(args.gateway, "http://127.0.0.1:9/sip/rest");
    EXPECT_EQ(args.parallel, 1);
    EXPECT_TRUE(args.noCache);
    EXPECT_EQ(ParseArgs({"--parallel=16", "a"}).parallel, 16);
    EXPECT_FALSE(args.help);
    EXPECT_TRUE(ParseArgs({"--help"}).help);
    EXPECT_EQ(ParseArgs({"-5", "x"}).keyword, "-5 x");  // one dash makes no option
}

TEST(QvSearchArgs, RefusesWhatCannotBeRun) {
    const std::vector<std::vector<std::string>> cases = {
        {"--count", "0", "a"}, {"--count=101", "a"}, {"--count", "x", "a"}, {"--min-level", "21"},
        {"--min-level", "-1"}, {"--bogus", "a"},     {"a", "--count"},      {"--force=yes", "a"},
        {"--parallel", "0"},   {"--parallel=17"},    {"--no-cache=1", "a"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& arg : args) {
            line += arg + " ";
        }
        EXPECT_THROW(ParseArgs(args), UsageError) << line;
    }
}

}  // namespace
}  // namespace qvsearch
