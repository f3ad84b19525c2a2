// Signed calls against the local gateway, which checks the form and recomputes the signature
// with code of its own: a fault in our encoding or signing shows as an error answer here.
#include "marketplace/unit_TB_Item.h"
#include "marketplace/unit_TB_User.h"
#include "sandbox/Sandbox.h"

#include <gtest/gtest.h>

namespace {

constexpr char kAppKey[] = "38015";
constexpr char kAppSecret[] = "7c3e91a05b2d48f6a0e1d9c4b8f27a63";

TEST(SandboxRoundTrip, ItemSearchIsAcceptedAndPagedAsTheGatewayCounts) {
    sandbox::Sandbox box({});
    marketplace::TItems lastPage(kAppKey, kAppSecret, "", "xml", box.url("/sip/rest"));
    lastPage.GetItems(2, 200, "", "", "", "", "保温杯", "");
    EXPECT_EQ(lastPage.TotalResults, 350);
    ASSERT_EQ(lastPage.Items.size(), 150u);
    for (const marketplace::TItemR& item : lastPage.Items) {
        EXPECT_FALSE(item.iid.empty());
        EXPECT_NE(item.title.find("保温杯"), std::string::npos) << item.title;
        EXPECT_FALSE(item.price.empty());
    }

    // Both price bounds and a "+" in the query: free-text values that must be encoded.
    marketplace::TItems bounded(kAppKey, kAppSecret, "", "xml", box.url("/sip/rest"));
    bounded.GetItems(1, 200, "", "", "100", "2000", "手机+红色", "");
    EXPECT_GT(bounded.TotalResults, 0);
    EXPECT_LT(bounded.TotalResults, 429);
    for (const marketplace::TItemR& item : bounded.Items) {
        const double price = std::stod(item.price);
        EXPECT_GE(price, 100);
        EXPECT_LE(price, 2000);
    }
}

TEST(SandboxRoundTrip, SellerCreditMatchesTheCatalogue) {
    sandbox::Sandbox box({});
    const sandbox::Seller* seller = box.catalogue().FindSeller("阳光 的小店");
    ASSERT_NE(seller, nullptr);
    ASSERT_GT(seller->score, 0) << "pick a seller whose zeroed record would show";
    marketplace::TUser user(kAppKey, kAppSecret, "", "xml", box.url("/sip/rest"));
    user.GetUser(seller->nick);
    EXPECT_EQ(user.Level, seller->level);
    EXPECT_EQ(user.Score, seller->score);
    EXPECT_EQ(user.TotalNum, seller->totalNum);
    EXPECT_EQ(user.GoodNum, seller->goodNum);

    // A key the gateway does not know is refused: the answer's code zeroes everything.
    marketplace::TUser stranger("1", kAppSecret, "", "xml", box.url("/sip/rest"));
    stranger.GetUser(seller->nick);
    EXPECT_EQ(stranger.Level, 0);
    EXPECT_EQ(stranger.Score, 0);
}

}  // namespace
