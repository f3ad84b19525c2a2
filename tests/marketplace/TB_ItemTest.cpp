#include "marketplace/unit_TB_Item.h"

#include "sandbox/Sandbox.h"
#include "support/Credentials.h"
#include "support/GatewayRequests.h"
#include "support/HostileXml.h"
#include "support/RawHttpServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

using marketplace::TItems;
using support::RawHttpServer;

const std::string kFields = "iid,title,nick,type,cid,pic_path,delist_time,price,post_fee";

struct ItemsArgs {
    int32_t pageNo = 1;
    int32_t pageSize = 200;
    std::string orderBy{};
    std::string nicks{};
    std::string startPrice{};
    std::string endPrice{};
    std::string q{};
    std::string cid{};
};

// One GetItems against a server that answers with rawAnswer; the request it received is kept.
struct ItemsCall {
    std::unique_ptr<TItems> items;
    std::string request;
    int port = 0;
};

ItemsCall CallItems(const ItemsArgs& args, const std::string& rawAnswer) {
    RawHttpServer server([&](const std::string&) { return rawAnswer; });
    ItemsCall call;
    call.items = std::make_unique<TItems>(support::kAppKey, support::kAppSecret, "", "xml",
                                          server.url("/sip/rest"), support::FixedClock());
    call.items->GetItems(args.pageNo, args.pageSize, args.orderBy, args.nicks, args.startPrice,
                         args.endPrice, args.q, args.cid);
    call.request = server.requests().at(0);
    call.port = server.port();
    return call;
}

std::unique_ptr<TItems> ItemsFromAnswer(const std::string& xml) {
    return CallItems({.q = "x"}, RawHttpServer::Answer("200 OK", xml)).items;
}

std::string Item(const std::string& iid) {
    return "<item><iid>" + iid + "</iid><title>t" + iid + "</title></item>";
}

TEST(GetItems, SignsAndSendsAFixedRequest) {
    const ItemsCall call = CallItems({.startPrice = "10", .endPrice = "200.5", .q = "手机+壳"},
                                     RawHttpServer::Answer("200 OK", "<rsp/>"));
    // Digest of the signature text below, computed with md5sum:
    // 7c3e91a05b2d48f6a0e1d9c4b8f27a63end_price200.5fieldsiid,title,nick,type,cid,pic_path,
    // delist_time,price,post_feeformatxmlpage_no1page_size200q手机+壳sip_apinametaobao.items.get
    // sip_appkey38015sip_sessionidsip_timestamp2009-03-03 08:05:09start_price10v1.0
    EXPECT_EQ(call.items->Sign, "A58882E3836EF8BB524FE12EA92D89E9");
    const std::string body =
        "end_price=200.5&fields=" + kFields +
        "&format=xml&page_no=1&page_size=200&q=%E6%89%8B%E6%9C%BA%2B%E5%A3%B3"
        "&sip_apiname=taobao.items.get&sip_appkey=38015&sip_sessionid="
        "&sip_sign=A58882E3836EF8BB524FE12EA92D89E9&sip_timestamp=2009-03-03 08:05:09"
        "&start_price=10&v=1.0";
    EXPECT_EQ(call.request, support::RequestHead(call.port, body.size()) + body);
    EXPECT_EQ(call.items->ApiName, "taobao.items.get");
    EXPECT_EQ(call.items->Timestamp, "2009-03-03 08:05:09");
}

TEST(GetItems, SendsAndSignsOnlyTheParametersGivenInNameOrder) {
    const std::string tail =
        "sip_apiname=taobao.items.get&sip_appkey=38015&sip_sessionid=&sip_sign={SIGN}"
        "&sip_timestamp=2009-03-03 08:05:09";
    const std::string signTail =
        "sip_apinametaobao.items.getsip_appkey38015sip_sessionidsip_timestamp2009-03-03 08:05:09";
    const struct {
        const char* what;
        ItemsArgs args;
        std::string body;
        std::string signText;
    } cases[] = {
        {"query only",
         {.q = "abc"},
         "fields=" + kFields + "&format=xml&page_no=1&page_size=200&q=abc&" + tail + "&v=1.0",
         "fields" + kFields + "formatxmlpage_no1page_size200qabc" + signTail + "v1.0"},
        {"nothing optional",
         {.pageNo = 3, .pageSize = 40},
         "fields=" + kFields + "&format=xml&page_no=3&page_size=40&" + tail + "&v=1.0",
         "fields" + kFields + "formatxmlpage_no3page_size40" + signTail + "v1.0"},
        {"everything",
         {2, 40, "price:desc", "卖家", "1", "99", "a b", "50012"},
         "cid=50012&end_price=99&fields=" + kFields +
             "&format=xml&nicks=%E5%8D%96%E5%AE%B6&order_by=price%3Adesc&page_no=2&page_size=40"
             "&q=a+b&" +
             tail + "&start_price=1&v=1.0",
         "cid50012end_price99fields" + kFields +
             "formatxmlnicks卖家order_byprice:descpage_no2page_size40qa b" + signTail +
             "start_price1v1.0"},
        {"form characters in the query",
         {.q = "a=b&c"},
         "fields=" + kFields + "&format=xml&page_no=1&page_size=200&q=a%3Db%26c&" + tail + "&v=1.0",
         "fields" + kFields + "formatxmlpage_no1page_size200qa=b&c" + signTail + "v1.0"},
    };
    for (const auto& c : cases) {
        const ItemsCall call = CallItems(c.args, RawHttpServer::Answer("200 OK", "<rsp/>"));
        const std::string& sign = call.items->Sign;
        EXPECT_EQ(sign, support::UpperMd5(support::kAppSecret + c.signText)) << c.what;
        const std::string body = support::WithSign(c.body, sign);
        EXPECT_EQ(call.request, support::RequestHead(call.port, body.size()) + body) << c.what;
    }
}

TEST(ParseItems, ReadsEveryFieldOfEveryItemInAnswerOrder) {
    const auto items = ItemsFromAnswer(
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<rsp>\n  <totalResults>2</totalResults>\n"
        "  <item><iid>a1</iid><title>诺基亚 N73 手机</title><nick>小王</nick><type>fixed</type>"
        "<cid>1512</cid><pic_path>http://img.example/a1.jpg</pic_path>"
        "<delist_time>2009-03-10 20:30:05</delist_time><price>1280.00</price>"
        "<post_fee>10.00</post_fee></item>\n"
        "  <item><iid>b2</iid><title><![CDATA[壳 & 膜]]></title></item>\n</rsp>");
    EXPECT_EQ(items->TotalResults, 2);
    ASSERT_EQ(items->Items.size(), 2u);
    const marketplace::TItemR& first = items->Items[0];
    EXPECT_EQ(first.iid, "a1");
    EXPECT_EQ(first.title, "诺基亚 N73 手机");
    EXPECT_EQ(first.nick, "小王");
    EXPECT_EQ(first.type, "fixed");
    EXPECT_EQ(first.cid, "1512");
    EXPECT_EQ(first.pic_path, "http://img.example/a1.jpg");
    EXPECT_DOUBLE_EQ(first.delist_time, base::EncodeDateTime({2009, 3, 10, 20, 30, 5}));
    EXPECT_EQ(first.price, "1280.00");
    EXPECT_EQ(first.post_fee, "10.00");
    const marketplace::TItemR& second = items->Items[1];
    EXPECT_EQ(second.iid, "b2");
    EXPECT_EQ(second.title, "壳 & 膜");
    EXPECT_EQ(second.pic_path, "");
    EXPECT_DOUBLE_EQ(second.delist_time, base::DefaultDateTime());
    EXPECT_EQ(second.price, "");
}

TEST(ParseItems, TurnsEachKindOfAnswerIntoATotalAndRecords) {
    std::string page = "<rsp><totalResults>350</totalResults>";
    for (int i = 0; i < 150; ++i) {
        page += Item(std::to_string(i));
    }
    page += "</rsp>";
    const struct {
        const char* what;
        std::string answer;
        int32_t total;
        std::vector<std::string> iids;
    } cases[] = {
        {"error code with items",
         "<rsp><code>27</code><msg>Invalid signature</msg><totalResults>5</totalResults>" +
             Item("1") + "</rsp>",
         0,
         {}},
        {"code zero",
         "<rsp><code>0</code><totalResults>1</totalResults>" + Item("1") + "</rsp>",
         1,
         {"1"}},
        {"code not a number",
         "<rsp><code>x</code><totalResults>1</totalResults>" + Item("1") + "</rsp>",
         0,
         {}},
        {"total not a number",
         "<rsp><totalResults>many</totalResults>" + Item("1") + "</rsp>",
         0,
         {}},
        {"no total", "<rsp>" + Item("1") + Item("2") + "</rsp>", 0, {"1", "2"}},
        {"other element names",
         "<rsp><totalResults>3</totalResults><Item><iid>x</iid></Item>" + Item("1") + "<items>" +
             Item("y") + "</items><!-- item -->" + Item("2") + "</rsp>",
         3,
         {"1", "2"}},
        {"item without iid",
         "<rsp><totalResults>1</totalResults><item><title>t</title></item>"
         "</rsp>",
         1,
         {""}},
        {"not XML", "<html><body>502 Bad Gateway</body></html", 0, {}},
        {"declared UTF-8 in capitals",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rsp><totalResults>1</totalResults>" +
             Item("手机") + "</rsp>",
         1,
         {"手机"}},
        {"declared without the blank",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?><rsp>" + Item("手机") + "</rsp>",
         0,
         {"手机"}},
        {"declared GB2312",
         "<?xml version=\"1.0\" encoding=\"GB2312\"?><rsp>" + Item("手机") + "</rsp>",
         0,
         {"手机"}},
    };
    for (const auto& c : cases) {
        const auto items = ItemsFromAnswer(c.answer);
        EXPECT_EQ(items->TotalResults, c.total) << c.what;
        std::vector<std::string> iids;
        for (const marketplace::TItemR& item : items->Items) {
            iids.push_back(item.iid);
        }
        EXPECT_EQ(iids, c.iids) << c.what;
    }

    const auto full = ItemsFromAnswer(page);
    EXPECT_EQ(full->TotalResults, 350);
    ASSERT_EQ(full->Items.size(), 150u);
    EXPECT_EQ(full->Items.front().title, "t0");
    EXPECT_EQ(full->Items.back().title, "t149");
}

TEST(ParseItems, AFailingRecordEndsTheParseKeepingWhatWasRead) {
    const std::string good =
        "<item><iid>1</iid><delist_time>2009-03-10 20:30:05</delist_time>"
        "<price>9.50</price><post_fee>5.00</post_fee></item>";
    const struct {
        const char* what;
        std::string failing;
        double delist;
        std::string price;
    } cases[] = {
        {"delist time not a date-time",
         "<item><iid>3</iid><title>t</title><nick>n</nick><type>fixed</type><cid>7</cid>"
         "<pic_path>p</pic_path><delist_time>next week</delist_time><price>1.00</price>"
         "<post_fee>2.00</post_fee></item>",
         0, ""},
        {"price with element children",
         "<item><iid>3</iid><title>t</title><nick>n</nick><type>fixed</type><cid>7</cid>"
         "<pic_path>p</pic_path><delist_time>2009-03-11 10:00:00</delist_time>"
         "<price><low>1</low></price><post_fee>2.00</post_fee></item>",
         base::EncodeDateTime({2009, 3, 11, 10, 0, 0}), ""},
    };
    for (const auto& c : cases) {
        const auto items = ItemsFromAnswer("<rsp><totalResults>40</totalResults>" + good + good +
                                           c.failing + Item("4") + "</rsp>");
        EXPECT_EQ(items->TotalResults, 40) << c.what;
        ASSERT_EQ(items->Items.size(), 3u) << c.what;
        EXPECT_EQ(items->Items[1].price, "9.50") << c.what;
        EXPECT_EQ(items->Items[1].post_fee, "5.00") << c.what;
        const marketplace::TItemR& partial = items->Items[2];
        EXPECT_EQ(partial.iid, "3") << c.what;
        EXPECT_EQ(partial.pic_path, "p") << c.what;
        EXPECT_DOUBLE_EQ(partial.delist_time, c.delist) << c.what;
        EXPECT_EQ(partial.price, c.price) << c.what;
        EXPECT_EQ(partial.post_fee, "") << c.what;
    }
}

TEST(ParseItems, AHostileDocumentTypeEndsQuicklyAsNothingFound) {
    // 1 MB on the wire, 2.5 GB of text if the references were ever expanded: the node readers
    // refuse an element that holds anything but text, and the memory cap turns a regression into
    // a failure instead of a swamped machine.
    const std::string answer = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>" +
                               support::ExpandingDoctype("rsp") + "<rsp><totalResults>" +
                               support::EntityReferences(250'000) + "</totalResults>" + Item("1") +
                               "</rsp>";
    const auto readsNothing = [&answer] {
        const auto items = ItemsFromAnswer(answer);
        if (items->TotalResults != 0 || !items->Items.empty()) {
            throw std::runtime_error("a total or items were read");
        }
    };
    EXPECT_EXIT(support::RunUnderMemoryCap(512 << 20, readsNothing), testing::ExitedWithCode(0),
                "");
}

TEST(ParseItems, AFailedRequestGivesNothingFound) {
    for (const std::string& answer :
         {RawHttpServer::Answer("404 Not Found", "<rsp><totalResults>9</totalResults></rsp>"),
          RawHttpServer::Answer("200 OK", "<rsp><totalResults>9</totalResults>\xFF</rsp>"),
          RawHttpServer::Answer("200 OK", "")}) {
        const ItemsCall call = CallItems({.q = "x"}, answer);
        EXPECT_EQ(call.items->ResponseText, "");
        EXPECT_EQ(call.items->TotalResults, 0);
        EXPECT_TRUE(call.items->Items.empty());
    }
}

TEST(SandboxRoundTrip, ItemSearchIsAcceptedAndPagedAsTheGatewayCounts) {
    sandbox::Sandbox box({});
    marketplace::TItems lastPage(support::kAppKey, support::kAppSecret, "", "xml",
                                 box.url("/sip/rest"));
    lastPage.GetItems(2, 200, "", "", "", "", "保温杯", "");
    EXPECT_EQ(lastPage.TotalResults, 350);
    ASSERT_EQ(lastPage.Items.size(), 150u);
    for (const marketplace::TItemR& item : lastPage.Items) {
        EXPECT_FALSE(item.iid.empty());
        EXPECT_NE(item.title.find("保温杯"), std::string::npos) << item.title;
        EXPECT_FALSE(item.price.empty());
    }

    // Both price bounds and a "+" in the query: free-text values that must be encoded.
    marketplace::TItems bounded(support::kAppKey, support::kAppSecret, "", "xml",
                                box.url("/sip/rest"));
    bounded.GetItems(1, 200, "", "", "100", "2000", "手机+红色", "");
    EXPECT_GT(bounded.TotalResults, 0);
    EXPECT_LT(bounded.TotalResults, 429);
    for (const marketplace::TItemR& item : bounded.Items) {
        const double price = std::stod(item.price);
        EXPECT_GE(price, 100);
        EXPECT_LE(price, 2000);
    }
}

}  // namespace
