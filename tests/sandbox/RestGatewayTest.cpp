#include "support/Credentials.h"
#include "support/GatewayClient.h"
#include "support/GatewayRequests.h"

#include "base/Numbers.h"
#include "sandbox/Sandbox.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>

namespace {

using support::Params;

// Lower bounds of the credit points of levels 0 to 20; a level ends where the next begins.
constexpr std::array<int64_t, 22> kLevelFloors = {0,        4,
                                                  11,       41,
                                                  91,       151,
                                                  251,      501,
                                                  1001,     2001,
                                                  5001,     10001,
                                                  20001,    50001,
                                                  100001,   200001,
                                                  500001,   1000001,
                                                  2000001,  5000001,
                                                  10000001, INT32_MAX + int64_t{1}};

sandbox::Options FixedOptions(uint64_t seed = 1) {
    sandbox::Options options;
    options.seed = seed;
    options.clock = support::FixedClock();
    return options;
}

class RestGatewayTest : public ::testing::Test {
  protected:
    support::Reply Call(const Params& params) {
        return support::Post(box.port(), support::SignedBody(params));
    }

    // Every item of a search, page after page, as the answers list them.
    std::vector<std::map<std::string, std::string>> AllItems(Params params,
                                                             std::vector<size_t>* pageSizes) {
        std::vector<std::map<std::string, std::string>> items;
        for (int page = 1;; ++page) {
            params["page_no"] = std::to_string(page);
            const auto reply = Call(params);
            const auto xml = reply.Xml();
            size_t count = 0;
            for (xmlNodePtr node = xml.Root()->children; node; node = node->next) {
                if (base::NodeName(node) != "item") {
                    continue;
                }
                auto& item = items.emplace_back();
                for (xmlNodePtr field = node->children; field; field = field->next) {
                    item[base::NodeName(field)] = base::ElementValue(field).value_or("");
                }
                ++count;
            }
            pageSizes->push_back(count);
            if (count == 0) {
                return items;
            }
        }
    }

    sandbox::Sandbox box{FixedOptions()};
};

TEST_F(RestGatewayTest, AcceptsARequestSignedByTheRule) {
    // Digest of the signature text computed with md5sum.
    const Params params = {{"fields", "seller_credit"},
                           {"format", "xml"},
                           {"nick", "阳光 的小店"},
                           {"sip_apiname", "taobao.user.get"},
                           {"sip_appkey", support::kAppKey},
                           {"sip_sessionid", ""},
                           {"sip_sign", "E9EF746ACFCE443A6127AB2C3241F68B"},
                           {"sip_timestamp", "2009-03-03 08:05:09"},
                           {"v", "1.0"}};
    const auto reply = support::Post(box.port(), support::Body(params));

    EXPECT_EQ(reply.Code(), 0) << reply.body;
    const auto xml = reply.Xml();
    const auto credit = base::FindChild(base::FindChild(xml.Root(), "user"), "seller_credit");
    EXPECT_EQ(base::ElementValue(base::FindChild(credit, "level")),
              std::to_string(box.catalogue().FindSeller("阳光 的小店")->level));
}

TEST_F(RestGatewayTest, RejectsBadRequestsWithAnErrorAnswer) {
    struct Case {
        const char* what;
        std::function<void(Params&)> beforeSigning;
        std::function<void(std::string&)> afterSigning;
        int code;
    };
    const auto set = [](const char* name, const char* value) {
        return [=](Params& p) { p[name] = value; };
    };
    const auto none = [](Params&) {};
    const auto intact = [](std::string&) {};
    const auto replace = [](const std::string& from, const std::string& to) {
        return [=](std::string& body) { body.replace(body.find(from), from.size(), to); };
    };
    const std::vector<Case> cases = {
        {"one digit of the signature changed", none,
         [](std::string& body) {
             const size_t at = body.find("sip_sign=") + 9;
             body[at] = body[at] == 'A' ? 'B' : 'A';
         },
         25},
        {"signature in lower case", none,
         [](std::string& body) {
             for (size_t at = body.find("sip_sign=") + 9; at < body.find("&sip_timestamp"); ++at) {
                 body[at] = static_cast<char>(std::tolower(body[at]));
             }
         },
         25},
        {"query changed after signing", none, replace("q=%E6%89%8B", "q=%E6%89%8C"), 25},
        {"one-digit month", set("sip_timestamp", "2009-3-03 08:05:09"), intact, 21},
        {"a day that does not exist", set("sip_timestamp", "2009-02-30 08:05:09"), intact, 21},
        {"slashes in the date", set("sip_timestamp", "2009/03/03 08:05:09"), intact, 21},
        {"no time", set("sip_timestamp", "2009-03-03"), intact, 21},
        {"no application key", [](Params& p) { p.erase("sip_appkey"); }, intact, 20},
        {"unknown application key", set("sip_appkey", "12345"), intact, 22},
        {"unknown method", set("sip_apiname", "taobao.items.list"), intact, 23},
        {"page size above 200", set("page_size", "201"), intact, 40},
        {"price that is not a number", set("start_price", "1,000"), intact, 40},
        {"unknown field", set("fields", "iid,colour"), intact, 40},
        {"broken escape", none, replace("q=%E6", "q=%G6"), 26},
        {"parameter sent twice", none, [](std::string& body) { body += "&v=1.0"; }, 26},
    };
    for (const Case& c : cases) {
        Params params = support::ItemsCall("手机");
        c.beforeSigning(params);
        std::string body = support::SignedBody(params);
        c.afterSigning(body);
        const auto reply = support::Post(box.port(), body);
        EXPECT_EQ(reply.status, 200) << c.what;
        EXPECT_EQ(reply.Code(), c.code) << c.what << "\n" << reply.body;
        EXPECT_FALSE(reply.Text("msg").empty()) << c.what;
    }
}

TEST_F(RestGatewayTest, KeywordsListedInTheReadmeHaveTheirOutcomes) {
    const std::vector<std::pair<const char*, int>> keywords = {
        {"飞行汽车", 0},    {"蓝牙耳机", 120},    {"双肩包", 200},    {"充电宝", 250},
        {"保温杯", 350},    {"笔记本电脑", 500},  {"机械键盘", 501},  {"连衣裙", 800},
        {"手机", 2400},     {"绿茶+礼盒装", 195}, {"手机+红色", 429}, {"手机+128G", 626},
        {"手机 128g", 626}, {"mini", 1062},
    };
    for (const auto& [keyword, total] : keywords) {
        Params params = support::ItemsCall(keyword, "iid");
        params["page_size"] = "1";
        EXPECT_EQ(Call(params).Text("totalResults"), std::to_string(total)) << keyword;
    }
}

TEST_F(RestGatewayTest, SearchKeepsToTermsPricesAndPages) {
    Params params = support::ItemsCall("手机+红色");
    params["start_price"] = "800";
    params["end_price"] = "4999.9";
    const int total = std::stoi(Call(params).Text("totalResults"));
    std::vector<size_t> pageSizes;
    const auto items = AllItems(params, &pageSizes);

    ASSERT_GT(total, 200) << "the case needs more than one page";
    EXPECT_LT(total, std::stoi(Call(support::ItemsCall("手机")).Text("totalResults")));
    EXPECT_EQ(static_cast<int>(items.size()), total);
    std::set<std::string> iids;
    for (const auto& item : items) {
        EXPECT_NE(item.at("title").find("手机"), std::string::npos) << item.at("title");
        EXPECT_NE(item.at("title").find("红色"), std::string::npos) << item.at("title");
        const double price = base::StrToFloat(item.at("price"));
        EXPECT_TRUE(price >= 800 && price <= 4999.9) << item.at("price");
        iids.insert(item.at("iid"));
    }
    EXPECT_EQ(iids.size(), items.size()) << "pages overlap";

    // Both bounds belong to the range.
    const std::string price = items.front().at("price");
    params["start_price"] = params["end_price"] = price;
    const auto samePrice = AllItems(params, &pageSizes);
    EXPECT_FALSE(samePrice.empty());
    for (const auto& item : samePrice) {
        EXPECT_EQ(item.at("price"), price);
    }

    pageSizes.clear();
    AllItems(support::ItemsCall("保温杯"), &pageSizes);
    EXPECT_EQ(pageSizes, (std::vector<size_t>{200, 150, 0}));
}

TEST_F(RestGatewayTest, AnswersOnlyTheRequestedFields) {
    Params params = support::ItemsCall("绿茶", "price,iid");
    params["page_size"] = "3";
    const auto xml = Call(params).Xml();
    const xmlNode* item = base::FindChild(xml.Root(), "item");
    ASSERT_NE(item, nullptr);
    std::vector<std::string> names;
    for (const xmlNode* field = item->children; field; field = field->next) {
        names.push_back(base::NodeName(field));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"price", "iid"}));
}

TEST_F(RestGatewayTest, SameSeedGivesTheSameCatalogueAndAnotherSeedAnother) {
    sandbox::Sandbox twin(FixedOptions(1));
    sandbox::Sandbox other(FixedOptions(2));
    const auto fields = "iid,title,nick,type,cid,delist_time,price,post_fee";
    Params params = support::ItemsCall("连衣裙", fields);
    params["page_size"] = "50";
    const std::string body = support::SignedBody(params);

    const auto first = support::Post(box.port(), body).body;
    EXPECT_EQ(support::Post(twin.port(), body).body, first);
    const auto changed = support::Post(other.port(), body);
    EXPECT_EQ(changed.Text("totalResults"), "800");
    EXPECT_NE(changed.body, first);
}

TEST_F(RestGatewayTest, ServesThePicturesItsItemsName) {
    const auto reply = Call(support::ItemsCall("充电宝", "pic_path"));
    const auto path = base::ElementValue(
        base::FindChild(base::FindChild(reply.Xml().Root(), "item"), "pic_path"));
    ASSERT_TRUE(path && path->starts_with(box.url("/pic/"))) << reply.body;

    httplib::Client client("127.0.0.1", box.port());
    const auto picture = client.Get(path->substr(box.url("").size()));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->status, 200);
    EXPECT_EQ(picture->get_header_value("Content-Type"), "image/svg+xml");
    EXPECT_NE(picture->body.find("充电宝"), std::string::npos);
}

TEST_F(RestGatewayTest, SellersSpanEveryLevelWithScoresInsideTheirLevel) {
    std::set<int> levels;
    for (const auto& seller : box.catalogue().sellers()) {
        const auto reply = Call(support::UserCall(seller.nick));
        const auto xml = reply.Xml();
        const auto credit = base::FindChild(base::FindChild(xml.Root(), "user"), "seller_credit");
        const auto read = [&](const char* name) {
            return std::stoll(base::ElementValue(base::FindChild(credit, name)).value_or("-1"));
        };
        const auto level = read("level");
        const auto score = read("score");
        const auto total = read("total_num");
        const auto good = read("good_num");
        ASSERT_TRUE(level >= 0 && level <= 20) << seller.nick << "\n" << reply.body;
        EXPECT_GE(score, kLevelFloors[static_cast<size_t>(level)]) << seller.nick;
        EXPECT_LT(score, kLevelFloors[static_cast<size_t>(level) + 1]) << seller.nick;
        EXPECT_TRUE(score <= good && good <= total) << seller.nick;
        EXPECT_GE(static_cast<double>(good), 0.95 * static_cast<double>(total)) << seller.nick;
        levels.insert(static_cast<int>(level));
    }
    EXPECT_EQ(levels.size(), 21u);

    const auto unknown = Call(support::UserCall("没有这个人"));
    EXPECT_EQ(unknown.Code(), 50);
    EXPECT_NE(unknown.Text("msg").find("没有这个人"), std::string::npos);
}

TEST_F(RestGatewayTest, GivesEveryItemASellerOfItsOwnWhenSwitched) {
    const auto credit = [this](const std::string& nick) {
        const auto reply = Call(support::UserCall(nick));
        return reply.body.substr(std::min(reply.body.find("<seller_credit>"), reply.body.size()));
    };
    std::vector<size_t> pageSizes;
    sandbox::Switches switches;
    switches.sellerPerItem = true;
    box.SetSwitches(sandbox::Service::Rest, switches);
    const auto own = AllItems(support::ItemsCall("保温杯", "iid,nick"), &pageSizes);
    box.SetSwitches(sandbox::Service::Rest, {});
    const auto shared = AllItems(support::ItemsCall("保温杯", "iid,nick"), &pageSizes);
    ASSERT_EQ(own.size(), 350u);
    ASSERT_EQ(shared.size(), 350u);

    std::set<std::string> nicks;
    for (size_t i = 0; i < own.size(); ++i) {
        const std::string& nick = own[i].at("nick");
        nicks.insert(nick);
        ASSERT_EQ(own[i].at("iid"), shared[i].at("iid"));
        // Its own nick, after the nick of the seller that offers it, with the same record.
        EXPECT_TRUE(nick.starts_with(shared[i].at("nick") + "·")) << nick;
        if (i % 25 == 0) {
            EXPECT_EQ(credit(nick), credit(shared[i].at("nick"))) << nick;
            EXPECT_NE(credit(nick).find("<level>"), std::string::npos) << nick;
        }
    }
    EXPECT_EQ(nicks.size(), 350u);

    // Only the nicks the gateway hands out are known.
    const std::string first = own.front().at("nick");
    const std::string seller = first.substr(0, first.find("·"));
    for (const std::string& stranger :
         {seller + "·", seller + "·x", seller + "·0" + first.substr(first.find("·") + 2),
          seller + "·99999", std::string("没有这个人·1")}) {
        EXPECT_EQ(Call(support::UserCall(stranger)).Code(), 50) << stranger;
    }
}

}  // namespace
