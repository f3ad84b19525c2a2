#include "search/PrepareCriteria.h"

#include <gtest/gtest.h>

namespace search {
namespace {

TEST(PrepareCriteria, PreparesKeywordAndPrices) {
    const struct {
        std::string keyword, startPrice, endPrice;
        std::string wantKeyword, wantStart, wantEnd;
    } cases[] = {
        {"  a b  ", "", "", "a+b", "", ""},
        {"a  b", "0", " 0 ", "a++b", "", ""},  // repeated blanks stay; "0" is no bound
        {"a&b c&", "1,200", " 3,000.50\t", "ab+c", "1200", "3000.50"},
        {"\x01\t手机 壳\x1f\n", "0.0", "abc", "手机+壳", "0.0", "abc"},  // nothing else checked
        {"A+B", "00", ",", "A+B", "00", ""},
    };
    for (const auto& c : cases) {
        const auto criteria = PrepareCriteria(c.keyword, c.startPrice, c.endPrice);
        ASSERT_TRUE(criteria.has_value()) << c.keyword;
        EXPECT_EQ(criteria->Keyword, c.wantKeyword);
        EXPECT_EQ(criteria->StartPrice, c.wantStart);
        EXPECT_EQ(criteria->EndPrice, c.wantEnd);
    }
}

TEST(PrepareCriteria, RefusesAMissingKeyword) {
    for (const std::string keyword :
         {"", " \t\r\n", "{请输入关键字组合}", "  {请输入关键字组合} "}) {
        EXPECT_FALSE(PrepareCriteria(keyword, "1", "2").has_value()) << keyword;
    }
}

}  // namespace
}  // namespace search
