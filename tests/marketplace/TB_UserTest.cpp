#include "marketplace/unit_TB_User.h"

#include "base/Xml.h"
#include "sandbox/Sandbox.h"
#include "support/Credentials.h"
#include "support/GatewayRequests.h"
#include "support/RawHttpServer.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

using marketplace::TUser;
using support::RawHttpServer;

struct UserCall {
    std::unique_ptr<TUser> user;
    std::string request;
    int port = 0;
};

// One GetUser against a server that answers with rawAnswer; the request it received is kept.
UserCall CallUser(const std::string& nick, const std::string& rawAnswer) {
    RawHttpServer server([&](const std::string&) { return rawAnswer; });
    UserCall call;
    call.user = std::make_unique<TUser>(support::kAppKey, support::kAppSecret, "", "xml",
                                        server.url("/sip/rest"), support::FixedClock());
    call.user->GetUser(nick);
    call.request = server.requests().at(0);
    call.port = server.port();
    return call;
}

std::array<int32_t, 4> Credit(const TUser& user) {
    return {user.Level, user.Score, user.TotalNum, user.GoodNum};
}

TEST(GetUser, SignsAndSendsAFixedRequest) {
    const UserCall call = CallUser("张三", RawHttpServer::Answer("200 OK", "<rsp/>"));
    // Digest of the signature text below, computed with md5sum:
    // 7c3e91a05b2d48f6a0e1d9c4b8f27a63fieldsseller_creditformatxmlnick张三
    // sip_apinametaobao.user.getsip_appkey38015sip_sessionidsip_timestamp2009-03-03 08:05:09v1.0
    EXPECT_EQ(call.user->Sign, "F6ED864B1C81026A163F1C16D4D4ABB5");
    const std::string body =
        "fields=seller_credit&format=xml&nick=%E5%BC%A0%E4%B8%89&sip_apiname=taobao.user.get"
        "&sip_appkey=38015&sip_sessionid=&sip_sign=F6ED864B1C81026A163F1C16D4D4ABB5"
        "&sip_timestamp=2009-03-03 08:05:09&v=1.0";
    EXPECT_EQ(call.request, support::RequestHead(call.port, body.size()) + body);
}

TEST(GetUser, AlwaysSendsTheNickEncodedAndSignsItAsItIs) {
    const struct {
        std::string nick;
        std::string encoded;
    } cases[] = {
        {"", ""}, {"tb seller", "tb+seller"}, {"a&b=c", "a%26b%3Dc"}, {"x+y%", "x%2By%25"}};
    for (const auto& c : cases) {
        const UserCall call = CallUser(c.nick, RawHttpServer::Answer("200 OK", "<rsp/>"));
        const std::string signText =
            support::kAppSecret + "fieldsseller_creditformatxmlnick" + c.nick +
            "sip_apinametaobao.user.getsip_appkey38015sip_sessionidsip_timestamp2009-03-03 "
            "08:05:09v1.0";
        EXPECT_EQ(call.user->Sign, support::UpperMd5(signText)) << c.nick;
        const std::string body = "fields=seller_credit&format=xml&nick=" + c.encoded +
                                 "&sip_apiname=taobao.user.get&sip_appkey=38015&sip_sessionid="
                                 "&sip_sign=" +
                                 call.user->Sign + "&sip_timestamp=2009-03-03 08:05:09&v=1.0";
        EXPECT_EQ(call.request, support::RequestHead(call.port, body.size()) + body) << c.nick;
    }
}

TEST(ParseUser, ReadsTheFourCreditNumbersOrZeros) {
    const auto credit = [](const std::string& inner) {
        return "<user><seller_credit>" + inner + "</seller_credit></user>";
    };
    const std::string all =
        "<level>5</level><score>300</score><total_num>320</total_num><good_num>310</good_num>";
    const struct {
        const char* what;
        std::string answer;
        std::array<int32_t, 4> expected;
    } cases[] = {
        {"complete",
         "<?xml version=\"1.0\" encoding=\"utf-8\" ?><rsp>" + credit(all) + "</rsp>",
         {5, 300, 320, 310}},
        {"code zero", "<rsp><code>0</code>" + credit(all) + "</rsp>", {5, 300, 320, 310}},
        {"error code",
         "<rsp><code>40</code><msg>missing nick</msg>" + credit(all) + "</rsp>",
         {0, 0, 0, 0}},
        {"score not a number",
         "<rsp>" + credit("<level>5</level><score>lots</score><total_num>3</total_num>") + "</rsp>",
         {0, 0, 0, 0}},
        {"level with element children",
         "<rsp>" + credit("<level><v>5</v></level><score>300</score>") + "</rsp>",
         {0, 0, 0, 0}},
        {"no good_num",
         "<rsp>" + credit("<level>5</level><score>300</score><total_num>320</total_num>") +
             "</rsp>",
         {5, 300, 320, 0}},
        {"no seller_credit", "<rsp><user><level>5</level></user></rsp>", {0, 0, 0, 0}},
        {"no user", "<rsp><seller_credit><level>5</level></seller_credit></rsp>", {0, 0, 0, 0}},
        {"declared GB2312",
         "<?xml version=\"1.0\" encoding=\"GB2312\"?><rsp><nick>张三</nick>" + credit(all) +
             "</rsp>",
         {5, 300, 320, 310}},
    };
    for (const auto& c : cases) {
        const UserCall call = CallUser("n", RawHttpServer::Answer("200 OK", c.answer));
        EXPECT_EQ(Credit(*call.user), c.expected) << c.what;
    }
}

TEST(ParseUser, AnEmptyAnswerGivesZerosAndAnAnswerThatIsNotXmlReachesTheCaller) {
    for (const std::string& answer : {RawHttpServer::Answer("500 Internal Server Error", "<rsp/>"),
                                      RawHttpServer::Answer("200 OK", "")}) {
        const UserCall call = CallUser("n", answer);
        EXPECT_EQ(Credit(*call.user), (std::array<int32_t, 4>{0, 0, 0, 0}));
    }

    RawHttpServer server([](const std::string&) {
        return RawHttpServer::Answer("200 OK", "<html><body>Service Unavailable</body></html");
    });
    TUser user(support::kAppKey, support::kAppSecret, "", "xml", server.url("/sip/rest"));
    EXPECT_THROW(user.GetUser("n"), base::XmlParseError);
    EXPECT_EQ(Credit(user), (std::array<int32_t, 4>{0, 0, 0, 0}));
}

// Looks the seller up through the local gateway, which signs and decodes with code of its own,
// and expects the credit record of its catalogue.
void ExpectCatalogueCredit(const sandbox::Sandbox& box, const std::string& nick) {
    const sandbox::Seller* seller = box.catalogue().FindSeller(nick);
    ASSERT_NE(seller, nullptr) << nick;
    ASSERT_GT(seller->score, 0) << "pick a seller whose zeroed record would show";
    marketplace::TUser user(support::kAppKey, support::kAppSecret, "", "xml", box.url("/sip/rest"));
    user.GetUser(seller->nick);
    EXPECT_EQ(Credit(user), (std::array<int32_t, 4>{seller->level, seller->score, seller->totalNum,
                                                    seller->goodNum}))
        << nick;
}

TEST(SandboxRoundTrip, SellerCreditMatchesTheCatalogue) {
    sandbox::Sandbox box({});
    ExpectCatalogueCredit(box, "阳光 的小店");

    // A key the gateway does not know is refused: the answer's code zeroes everything.
    marketplace::TUser stranger("1", support::kAppSecret, "", "xml", box.url("/sip/rest"));
    stranger.GetUser("阳光 的小店");
    EXPECT_EQ(stranger.Level, 0);
    EXPECT_EQ(stranger.Score, 0);
}

TEST(SandboxRoundTrip, ANickWithTheFormsOwnCharactersIsSignedAsItIsAndFound) {
    // Sent unencoded, "&" and "=" would split the nick into other parameters than were signed.
    const sandbox::Sandbox box({});
    ExpectCatalogueCredit(box, "阳光好物=实惠&放心");
}

}  // namespace
