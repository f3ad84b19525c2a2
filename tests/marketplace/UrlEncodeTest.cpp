#include "marketplace/unit_TaoBaoHTTPClient.h"

#include <gtest/gtest.h>

namespace {

using marketplace::THTTPClient;

TEST(UrlEncode, FollowsTheGatewayFormEncoding) {
    const struct {
        std::string text;
        std::string encoded;
    } cases[] = {
        {"", ""},
        {"AZaz09", "AZaz09"},
        {"-._&=", "-._&="},
        {"a b", "a+b"},
        {"a+b", "a%2Bb"},
        {"100%", "100%25"},
        {"~*", "%7E%2A"},
        {"\t", "%09"},
        {"/:?#,", "%2F%3A%3F%23%2C"},
        {std::string("\x00\x7F", 2), "%00%7F"},
        {"\xE6\x89\x8B", "%E6%89%8B"},
        {"\x80\xFF", "%80%FF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(THTTPClient::UrlEncode(c.text), c.encoded) << c.text;
    }
}

}  // namespace
