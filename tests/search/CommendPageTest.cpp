#include "search/CommendPage.h"

#include "base/DateTime.h"
#include "base/Encoding.h"
#include "support/ReadFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

namespace search {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

const base::TDateTime kNow = base::EncodeDateTime({2009, 3, 3, 8, 5, 9, 0});

TAssayItemR Item(std::string iid, int32_t level) {
    TAssayItemR item;
    item.iid = std::move(iid);
    item.title = "title " + item.iid;
    item.nick = "nick";
    item.pic_path = "http://img.example/" + item.iid + ".jpg";
    item.delist_time = kNow + 2;
    item.price = 10;
    item.seller_level = level;
    return item;
}

TEST(CommendPage, MatchesTheGoldenPage) {
    TAssayItemR first = Item("1001", 5);
    first.title = "诺基亚 N95 手机";
    first.nick = "数码小店";
    first.delist_time = kNow + 3.5;
    first.price = 300;
    first.price_score = 50;
    first.credit_score = 11.24;
    first.total_score = 61.24;
    TAssayItemR skipped = Item("1002", 0);
    TAssayItemR second = Item("1003", 12);
    second.title = "Case & Cover";
    second.delist_time = kNow + 5.0 / 24;
    second.price = 316.5f;
    second.price_score = 24.25;
    second.credit_score = -2.5;
    second.total_score = 21.75;
    TAssayItemR beyondCount = Item("1004", 20);

    const std::string bytes =
        CommendPageBytes({"a+b", "10", "20", 2, 1}, {first, skipped, second, beyondCount}, kNow);
    EXPECT_EQ(bytes, support::ReadFile(SEARCH_TEST_DATA "/Commend.golden.html"));
}

// The item ids on a page and the numbers they carry, in page order.
std::vector<std::string> Shown(const std::string& page) {
    static const std::regex block(
        "<img src=\"http://img.example/(\\w+).jpg\".*?<div id=\"CommendIndex\">No. (\\d+)</div>");
    std::vector<std::string> shown;
    for (auto m = std::sregex_iterator(page.begin(), page.end(), block);
         m != std::sregex_iterator(); ++m) {
        shown.push_back((*m)[1].str() + "#" + (*m)[2].str());
    }
    return shown;
}

TEST(CommendPage, ShowsTheBestItemsOfTheWantedLevel) {
    const TAssayItemRA sorted = {Item("a", 3), Item("b", 0), Item("c", 5), Item("d", 20),
                                 Item("e", 1)};
    const struct {
        int32_t commendCount, minSellerLevel;
        std::vector<std::string> shown;
    } cases[] = {
        {0, 0, {}},
        {10, 0, {"a#1", "b#2", "c#3", "d#4", "e#5"}},
        {2, 0, {"a#1", "b#2"}},
        {10, 3, {"a#1", "c#2", "d#3"}},  // skipped items use up no number
        {2, 1, {"a#1", "c#2"}},
        {10, 20, {"d#1"}},
        {10, 21, {}},
    };
    for (const auto& c : cases) {
        const std::string page =
            BuildCommendPage({"k", "", "", c.commendCount, c.minSellerLevel}, sorted, kNow);
        EXPECT_EQ(Shown(page), c.shown) << c.commendCount << " from level " << c.minSellerLevel;
        EXPECT_THAT(page, EndsWith("</body></html>"));
    }
    EXPECT_THAT(BuildCommendPage({"k", "", "", 10, 0}, {}, kNow), EndsWith("<body></body></html>"));
}

TEST(CommendPage, TitleNamesKeywordAndPrices) {
    EXPECT_THAT(BuildCommendPage({"a+b", "10", "20", 10, 0}, {}, kNow),
                HasSubstr("<title>推荐结果 - [a+b 10 - 20元]</title>"));
    EXPECT_THAT(BuildCommendPage({"a+b", "", "", 10, 0}, {}, kNow),
                HasSubstr("<title>推荐结果 - [a+b  - 元]</title>"));
}

TEST(CommendPage, DelistTextCountsWholeHoursOrDays) {
    const base::TDateTime exactDayLater = base::EncodeDateTime({2009, 3, 4, 8, 5, 9, 0});
    const struct {
        base::TDateTime delist;
        std::string text;
    } cases[] = {
        {kNow + (23 + 59.0 / 60) / 24, "23 小时"},
        {kNow + 24.0 / 24, "1 天"},
        {exactDayLater, "1 天"},
        {kNow + 47.0 / 24, "1 天"},
        {kNow + 48.0 / 24, "2 天"},
        {kNow, "0 小时"},
        {kNow - 30.0 / 24, "1 天"},  // already past: the time elapsed
        {kNow - 5.5 / 24, "5 小时"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DelistText(c.delist, kNow), c.text) << base::FormatDateTime(c.delist);
    }
}

TEST(CommendPage, BarWidthIsTwiceTheScoreRoundedHalfToEven) {
    const struct {
        double score;
        int64_t width;
    } cases[] = {{43.86, 88}, {24.25, 48}, {24.75, 50}, {50, 100}, {0.25, 0}, {0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(BarWidth(c.score), c.width) << c.score;
    }
}

TEST(CommendPage, BarWidthStaysWithinTheBar) {
    // A browser draws a negative width as a full bar: a seller whose credit lookup failed
    // (-2.5) would look best.
    for (const double score : {-2.5, -50.0, -0.3, -1e300, std::nan("")}) {
        EXPECT_EQ(BarWidth(score), 0) << score;
    }
    for (const double score : {50.3, 51.0, 1e300}) {
        EXPECT_EQ(BarWidth(score), 100) << score;
    }
    TAssayItemR unknownSeller = Item("1", 0);
    unknownSeller.price_score = 50;
    unknownSeller.credit_score = -2.5;
    EXPECT_THAT(BuildCommendPage({"k", "", "", 10, 0}, {unknownSeller}, kNow),
                HasSubstr("<div id=\"PBar_YellowValue\" style=\"width: 0%\">"));
}

TEST(CommendPage, EscapesEveryInsertedValue) {
    TAssayItemR hostile = Item("1\"><script>x</script>", 0);
    hostile.title = "<script>alert('t')</script> & more";
    hostile.nick = "<b>nick</b>";
    hostile.pic_path = "x.jpg\" onerror=\"alert(1)";
    const std::string page =
        BuildCommendPage({"<i>k&</i>", "'1'", "\"2\"", 10, 0}, {hostile}, kNow);
    EXPECT_THAT(page, Not(HasSubstr("<script>")));
    EXPECT_THAT(page, Not(HasSubstr("<b>")));
    EXPECT_THAT(page, Not(HasSubstr("<i>")));
    EXPECT_THAT(page, Not(HasSubstr("\" onerror")));
    EXPECT_THAT(page, HasSubstr("[&lt;i&gt;k&amp;&lt;/i&gt; &#39;1&#39; - &quot;2&quot;元]"));
    EXPECT_THAT(page, HasSubstr("item_detail--1&quot;&gt;&lt;script&gt;x&lt;/script&gt;.jhtml"));
    EXPECT_THAT(page, HasSubstr("&lt;script&gt;alert(&#39;t&#39;)&lt;/script&gt; &amp; more</a>"));
    EXPECT_THAT(page, HasSubstr("<img src=\"x.jpg&quot; onerror=&quot;alert(1)\" />"));
    EXPECT_THAT(page, HasSubstr("\">&lt;b&gt;nick&lt;/b&gt;</Label>"));
}

TEST(CommendPage, FileIsGbkWithReferencesForTheRest) {
    TAssayItemR item = Item("1", 0);
    item.title = "笑脸😀€";
    const std::string bytes = CommendPageBytes({"手机", "", "", 10, 0}, {item}, kNow);
    EXPECT_THAT(bytes, EndsWith("</body></html>\r\n"));
    EXPECT_THAT(bytes, HasSubstr("[\xCA\xD6\xBB\xFA  - \xD4\xAA]"));  // 手机, 元
    const std::string decoded = base::GbkToUtf8(bytes);
    EXPECT_THAT(decoded, HasSubstr("笑脸&#x1F600;"));
    EXPECT_THAT(decoded, Not(HasSubstr("\xEF\xBF\xBD")));  // nothing was lost on the way
}

}  // namespace
}  // namespace search
