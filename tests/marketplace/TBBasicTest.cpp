#include "marketplace/unit_TBBasic.h"

#include "base/Errors.h"
#include "base/Xml.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using marketplace::THTTPClient;
using marketplace::TTBBasic;

TEST(TTBBasic, StartsWithTheGivenCredentialsAndNothingElse) {
    const TTBBasic call("38015", "secret", "session", "xml", "http://gateway.invalid/sip/rest");
    EXPECT_EQ(call.AppKey, "38015");
    EXPECT_EQ(call.AppSecret, "secret");
    EXPECT_EQ(call.SessionId, "session");
    EXPECT_EQ(call.Format, "xml");
    EXPECT_EQ(call.ApiName, "");
    EXPECT_EQ(call.Timestamp, "");
    EXPECT_EQ(call.Sign, "");
    EXPECT_EQ(call.ResponseText, "");
}

TEST(TTBBasic, UrlEncodeIsTheTransportsFormEncoding) {
    const TTBBasic call("k", "s", "", "xml", "http://gateway.invalid/sip/rest");
    EXPECT_EQ(call.UrlEncode("手 &+"), "%E6%89%8B+%26%2B");
}

TEST(TTBBasic, TimestampIsTheClockWithTwoDigitParts) {
    const struct {
        base::DateTimeParts now;
        const char* timestamp;
    } cases[] = {
        {{2009, 3, 3, 8, 5, 9}, "2009-03-03 08:05:09"},
        {{2024, 12, 31, 23, 59, 59, 999}, "2024-12-31 23:59:59"},
        {{2000, 1, 1, 0, 0, 0}, "2000-01-01 00:00:00"},
    };
    for (const auto& c : cases) {
        const base::TDateTime now = base::EncodeDateTime(c.now);
        TTBBasic call("k", "s", "", "xml", "http://gateway.invalid/sip/rest",
                      [now] { return now; });
        call.SetTimestamp();
        EXPECT_EQ(call.Timestamp, c.timestamp);
    }
}

TEST(TTBBasic, RejectsAGatewayAddressItCannotPost) {
    for (const char* url : {"", "gateway/sip/rest", "ftp://gateway/sip/rest", "http://"}) {
        EXPECT_THROW(TTBBasic("k", "s", "", "xml", url), std::invalid_argument) << url;
    }
}

TEST(HostHeader, NamesThePortOnlyWhenItIsNotTheDefault) {
    const struct {
        const char* url;
        const char* host;
    } cases[] = {
        {"http://gw.example.com/sip/rest", "gw.example.com"},
        {"http://gw.example.com:80/sip/rest", "gw.example.com"},
        {"http://127.0.0.1:8080/sip/rest", "127.0.0.1:8080"},
        {"https://gw.example.com:443/sip/rest", "gw.example.com"},
        {"https://gw.example.com:80/sip/rest", "gw.example.com:80"},
        {"http://[::1]:8081/sip/rest", "[::1]:8081"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(THTTPClient::HostHeader(c.url), c.host) << c.url;
    }
}

TEST(HostHeader, TheBuiltInGatewayIsAnHttpAddress) {
    EXPECT_FALSE(THTTPClient::HostHeader(marketplace::kGatewayUrl).empty());
}

class NodeReaders : public ::testing::Test {
  protected:
    const base::XmlDocument doc_ = base::XmlDocument::Parse(
        "<r><int>12</int><negative>-7</negative><padded> 42 </padded><empty/><open></open>"
        "<word>twelve</word><big>2147483648</big><cdata><![CDATA[<b>]]></cdata>"
        "<text>手机 &amp; 壳</text><date>2009-03-10 20:30:05</date><short>2009-3-1 8:0:5</short>"
        "<dateonly>2009-03-10</dateonly><nested><x>1</x></nested></r>");

    const xmlNode* Node(const char* name) const { return base::FindChild(doc_.Root(), name); }
};

TEST_F(NodeReaders, NodeToIntReadsNumbersAndDefaultsToZero) {
    EXPECT_EQ(TTBBasic::NodeToInt(Node("int")), 12);
    EXPECT_EQ(TTBBasic::NodeToInt(Node("negative")), -7);
    EXPECT_EQ(TTBBasic::NodeToInt(Node("padded")), 42);
    EXPECT_EQ(TTBBasic::NodeToInt(Node("empty")), 0);
    EXPECT_EQ(TTBBasic::NodeToInt(Node("open")), 0);
    EXPECT_EQ(TTBBasic::NodeToInt(Node("missing")), 0);
    EXPECT_EQ(TTBBasic::NodeToInt(nullptr), 0);
    EXPECT_THROW(TTBBasic::NodeToInt(Node("word")), base::ConvertError);
    EXPECT_THROW(TTBBasic::NodeToInt(Node("big")), base::ConvertError);
    EXPECT_THROW(TTBBasic::NodeToInt(Node("nested")), base::XmlValueError);
}

TEST_F(NodeReaders, NodeToStrReadsTextAndDefaultsToEmpty) {
    EXPECT_EQ(TTBBasic::NodeToStr(Node("text")), "手机 & 壳");
    EXPECT_EQ(TTBBasic::NodeToStr(Node("cdata")), "<b>");
    EXPECT_EQ(TTBBasic::NodeToStr(Node("empty")), "");
    EXPECT_EQ(TTBBasic::NodeToStr(Node("missing")), "");
    EXPECT_THROW(TTBBasic::NodeToStr(Node("nested")), base::XmlValueError);
}

TEST_F(NodeReaders, NodeToDateTimeReadsTheMarketplaceFormAndDefaultsTo1970) {
    const base::TDateTime epoch = base::EncodeDateTime({1970, 1, 1, 0, 0, 0});
    EXPECT_DOUBLE_EQ(TTBBasic::NodeToDateTime(Node("date")),
                     base::EncodeDateTime({2009, 3, 10, 20, 30, 5}));
    EXPECT_DOUBLE_EQ(TTBBasic::NodeToDateTime(Node("short")),
                     base::EncodeDateTime({2009, 3, 1, 8, 0, 5}));
    EXPECT_DOUBLE_EQ(TTBBasic::NodeToDateTime(Node("empty")), epoch);
    EXPECT_DOUBLE_EQ(TTBBasic::NodeToDateTime(Node("missing")), epoch);
    EXPECT_THROW(TTBBasic::NodeToDateTime(Node("dateonly")), base::ConvertError);
    EXPECT_THROW(TTBBasic::NodeToDateTime(Node("word")), base::ConvertError);
    EXPECT_THROW(TTBBasic::NodeToDateTime(Node("nested")), base::XmlValueError);
}

}  // namespace
