#include "sandbox/Catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

namespace sandbox {
namespace {

struct Category {
    const char* keyword;
    const char* cid;
    int count;
    int minYuan;
    int maxYuan;
    std::vector<const char*> brands;
    std::vector<const char*> features;  // two different ones go before the keyword
    std::vector<const char*> variants;  // one goes after it
    std::vector<const char*> sizes;     // and one of these after that
};

// Each keyword occurs in the titles of its own category only, so the hit count of a keyword
// alone is the category's size: README lists them as known outcomes.
const std::vector<Category>& Categories() {
    static const std::vector<Category> categories = {
        {"手机",
         "1512",
         2400,
         399,
         6999,
         {"星驰", "锐风", "云途", "墨影", "海蓝", "青禾", "凌霄", "曜石"},
         {"双卡双待", "大屏", "超长待机", "拍照", "全网通", "八核", "轻薄", "智能"},
         {"黑色", "白色", "红色", "金色", "蓝色", "银色"},
         {"32G", "64G", "128G", "256G"}},
        {"运动鞋",
         "50012029",
         1200,
         89,
         1299,
         {"飞跃", "踏风", "疾步", "跃动", "行者"},
         {"透气", "减震", "轻便", "防滑", "网面", "跑步", "休闲", "复古"},
         {"男款", "女款", "情侣款"},
         {"39码", "40码", "41码", "42码", "43码"}},
        {"羽绒服",
         "50008899",
         900,
         199,
         1899,
         {"北极狐", "雪域", "冰峰", "暖阳"},
         {"加厚", "90%白鸭绒", "连帽", "中长款", "短款", "修身", "韩版", "大毛领"},
         {"男", "女"},
         {"黑色", "米白", "藏青", "酒红", "卡其"}},
        {"连衣裙",
         "50010850",
         800,
         59,
         699,
         {"衣香", "悠然", "素锦", "蔓蔓"},
         {"雪纺", "修身", "韩版", "碎花", "长袖", "短袖", "蕾丝", "A字"},
         {"S码", "M码", "L码", "XL码"},
         {"粉色", "白色", "黑色", "杏色"}},
        {"绿茶",
         "50008141",
         600,
         19,
         599,
         {"西湖龙井", "碧螺春", "信阳毛尖", "黄山毛峰", "六安瓜片"},
         {"明前", "雨前", "特级", "一级", "新茶", "春茶"},
         {"250g", "500g", "100g"},
         {"礼盒装", "罐装", "袋装"}},
        {"机械键盘",
         "110210",
         501,
         129,
         1499,
         {"键客", "极光", "铁匠", "幻影"},
         {"青轴", "茶轴", "红轴", "黑轴", "RGB背光", "有线", "无线", "游戏"},
         {"104键", "87键", "61键"},
         {"黑色", "白色"}},
        {"笔记本电脑",
         "1101",
         500,
         2999,
         15999,
         {"锐思", "天启", "晨星", "智远"},
         {"14英寸", "15.6英寸", "轻薄", "游戏本", "商务", "高清屏"},
         {"i5", "i7", "锐龙7"},
         {"8G内存", "16G内存", "512G固态", "1T固态"}},
        {"保温杯",
         "50003882",
         350,
         29,
         399,
         {"暖心", "水之源", "清泉", "乐活"},
         {"304不锈钢", "316不锈钢", "大容量", "便携", "男士", "女士", "儿童", "真空"},
         {"350ml", "500ml", "1000ml"},
         {"黑色", "白色", "粉色", "天蓝"}},
        {"充电宝",
         "50008631",
         250,
         49,
         299,
         {"电力宝", "能量站", "飞电"},
         {"10000毫安", "20000毫安", "快充", "超薄", "迷你", "便携"},
         {"移动电源"},
         {"黑色", "白色", "粉色"}},
        {"双肩包",
         "50012010",
         200,
         69,
         899,
         {"旅者", "城市客", "背影"},
         {"大容量", "防水", "商务", "休闲", "学生", "旅行"},
         {"男女通用", "男", "女"},
         {"黑色", "灰色", "藏青"}},
        {"蓝牙耳机",
         "50005050",
         120,
         39,
         1999,
         {"声悦", "听澜", "乐音"},
         {"无线", "入耳式", "降噪", "运动", "头戴式", "超长续航"},
         {"立体声", "重低音"},
         {"黑色", "白色"}},
        {"电饭煲",
         "50002894",
         80,
         99,
         1299,
         {"美厨", "灶神", "好滋味"},
         {"智能", "预约", "不粘内胆", "球釜"},
         {"3L", "4L", "5L"},
         {"家用", "多功能"}},
    };
    return categories;
}

const std::vector<const char*> kPrefixes = {"", "", "", "新款 ", "正品 ", "特价 ", "热卖 "};
const std::vector<const char*> kSuffixes = {"",          "",          " 现货速发", " 正品保证",
                                            " 假一赔十", " 厂家直销", " 限时特价"};
const std::vector<const char*> kModels = {"", "", "S9", "M3", "X7 Pro", "A5", "Mini"};

// 20 x 21 nicks; some carry Latin letters, blanks and the form's own "&" and "=", as real nicks
// can.
const std::vector<const char*> kNickHeads = {
    "阳光", "星辰", "小鱼儿", "淘淘", "暖暖", "lucky", "晴天", "木子", "七月", "花间",
    "老王", "蓝莓", "云朵",   "果果", "清风", "Mia",   "糖糖", "阿杰", "小熊", "青青"};
const std::vector<const char*> kNickTails = {
    "数码",   "小铺",    "的店", "精品店", "专营店", "旗舰店", " shop",
    "百货",   "杂货铺",  "小店", "优品",   "家居馆", "工作室", "好物=实惠&放心",
    "外贸店", " 的小店", "妈妈", "优选",   "潮流馆", "直营",   "良品"};

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// The standard fixes mt19937_64's output, not the distributions' arithmetic: draw by hand so a
// seed gives the same catalogue with every standard library.
uint64_t Below(std::mt19937_64& rng, uint64_t bound) {
    return bound == 0 ? 0 : rng() % bound;
}

double Unit(std::mt19937_64& rng) {
    return static_cast<double>(rng() >> 11) / 9007199254740992.0;
}

template <typename T>
const T& Pick(const std::vector<T>& list, uint64_t hash) {
    return list[hash % list.size()];
}

std::string MakeTitle(const Category& category, size_t index) {
    const uint64_t h1 = Mix(index * 4 + 1);
    const uint64_t h2 = Mix(index * 4 + 2);
    const uint64_t h3 = Mix(index * 4 + 3);
    const size_t first = h1 % category.features.size();
    const size_t second =
        (first + 1 + h2 % (category.features.size() - 1)) % category.features.size();
    std::string model = Pick(kModels, h3 >> 8);
    std::string title = Pick(kPrefixes, h1 >> 16);
    title += Pick(category.brands, h2 >> 16);
    if (!model.empty()) {
        title += " " + model;
    }
    title += " ";
    title += category.features[first];
    title += " ";
    title += category.features[second];
    title += category.keyword;
    title += " ";
    title += Pick(category.variants, h3 >> 16);
    title += " ";
    title += Pick(category.sizes, h1 >> 32);
    title += Pick(kSuffixes, h3 >> 32);
    return title;
}

// Log-uniform between the bounds, then rounded the way shops price: 1299.00, 188.00, 59.90.
int64_t MakePrice(std::mt19937_64& rng, const Category& category) {
    const double low = std::log(category.minYuan);
    const double high = std::log(category.maxYuan);
    const double yuan = std::exp(low + (high - low) * Unit(rng));
    const auto whole = static_cast<int64_t>(yuan);
    switch (Below(rng, 4)) {
        case 0:
            return whole * 100;
        case 1:
            return std::max<int64_t>(whole / 10 * 10 - 1, category.minYuan) * 100;
        case 2:
            return whole * 100 + 90;
        default:
            return whole * 100 + 80 + static_cast<int64_t>(Below(rng, 2)) * 19;
    }
}

std::string MakeIid(std::mt19937_64& rng) {
    char buffer[33];
    std::snprintf(buffer, sizeof buffer, "%016llx%016llx", static_cast<unsigned long long>(rng()),
                  static_cast<unsigned long long>(rng()));
    return buffer;
}

Seller MakeSeller(std::mt19937_64& rng, size_t index) {
    Seller seller;
    seller.nick =
        std::string(kNickHeads[index % kNickHeads.size()]) + kNickTails[index / kNickHeads.size()];
    seller.level = static_cast<int32_t>(index % kLevelRanges.size());
    const LevelRange range = kLevelRanges[static_cast<size_t>(seller.level)];
    seller.score = range.lower + static_cast<int32_t>(Below(
                                     rng, static_cast<uint64_t>(range.upper - range.lower) + 1));
    // Credit points are good ratings less bad ones; neutral ratings count for nothing.
    const double score = seller.score;
    const auto bad = static_cast<int32_t>(score * 0.01 * Unit(rng));
    const auto neutral = static_cast<int32_t>(score * 0.015 * Unit(rng));
    seller.goodNum = seller.score + bad;
    seller.totalNum = seller.goodNum + neutral + bad;
    return seller;
}

std::string FoldLatin(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

}  // namespace

std::string FormatCents(int64_t cents) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld.%02lld", static_cast<long long>(cents / 100),
                  static_cast<long long>(cents % 100));
    return buffer;
}

Catalogue::Catalogue(uint64_t seed, base::TDateTime now) {
    std::mt19937_64 rng(seed);
    const size_t sellerCount = kNickHeads.size() * kNickTails.size();
    for (size_t i = 0; i < sellerCount; ++i) {
        sellers_.push_back(MakeSeller(rng, i));
        sellerByNick_.emplace(sellers_.back().nick, i);
    }
    constexpr double kMinutesPerDay = 24 * 60;
    for (const Category& category : Categories()) {
        for (int n = 0; n < category.count; ++n) {
            Item item;
            item.title = MakeTitle(category, items_.size());
            item.cid = category.cid;
            item.keyword = category.keyword;
            item.iid = MakeIid(rng);
            item.type = Below(rng, 10) == 0 ? "auction" : "fixed";
            item.seller = Below(rng, sellers_.size());
            item.priceCents = MakePrice(rng, category);
            static constexpr int64_t kPostFees[] = {0, 0, 0, 500, 800, 1000, 1200, 1500, 2000};
            item.postFeeCents = kPostFees[Below(rng, std::size(kPostFees))];
            // Whole minutes from ten minutes to two weeks ahead.
            const auto minutes = 10 + Below(rng, 14 * 24 * 60 - 10);
            item.delistTime = std::floor(now * kMinutesPerDay) / kMinutesPerDay +
                              static_cast<double>(minutes) / kMinutesPerDay;
            foldedTitles_.push_back(FoldLatin(item.title));
            items_.push_back(std::move(item));
        }
    }
}

const Seller* Catalogue::FindSeller(std::string_view nick) const {
    const auto found = sellerByNick_.find(std::string(nick));
    return found == sellerByNick_.end() ? nullptr : &sellers_[found->second];
}

std::vector<const Item*> Catalogue::Search(const ItemQuery& query) const {
    std::vector<std::string> terms;
    for (const std::string& term : query.terms) {
        terms.push_back(FoldLatin(term));
    }
    std::vector<const Item*> hits;
    for (size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        const double price = static_cast<double>(item.priceCents) / 100.0;
        const bool matches =
            std::all_of(terms.begin(), terms.end(),
                        [&](const std::string& t) {
                            return foldedTitles_[i].find(t) != std::string::npos;
                        }) &&
            (!query.startPrice || price >= *query.startPrice) &&
            (!query.endPrice || price <= *query.endPrice) &&
            (query.cid.empty() || item.cid == query.cid) &&
            (query.nicks.empty() || std::find(query.nicks.begin(), query.nicks.end(),
                                              sellers_[item.seller].nick) != query.nicks.end());
        if (matches) {
            hits.push_back(&item);
        }
    }
    const auto byPrice = [](const Item* a, const Item* b) { return a->priceCents < b->priceCents; };
    const auto byDelist = [](const Item* a, const Item* b) {
        return a->delistTime < b->delistTime;
    };
    switch (query.order) {
        case ItemOrder::Catalogue:
            break;
        case ItemOrder::PriceAscending:
            std::stable_sort(hits.begin(), hits.end(), byPrice);
            break;
        case ItemOrder::PriceDescending:
            std::stable_sort(hits.begin(), hits.end(),
                             [&](const Item* a, const Item* b) { return byPrice(b, a); });
            break;
        case ItemOrder::DelistAscending:
            std::stable_sort(hits.begin(), hits.end(), byDelist);
            break;
        case ItemOrder::DelistDescending:
            std::stable_sort(hits.begin(), hits.end(),
                             [&](const Item* a, const Item* b) { return byDelist(b, a); });
            break;
    }
    return hits;
}

}  // namespace sandbox
