#include "search/CommendPage.h"

#include "base/Encoding.h"
#include "base/Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace search {
namespace {

constexpr std::string_view kHeadStart =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">"
    "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />"
    "<title>推荐结果 - [";

constexpr std::string_view kHeadEnd =
    "元]</title>"
    "<style type=\"text/css\">"
    "<!--"
    "body {font-family: Verdana, System, \"Times New Roman\", \"宋体\"; font-size: 12px;}"
    "#CommendPanel{border: solid 1px #66CCFF; width: 660px; padding: 10px; height: 100px;}"
    "#GoodsImage{float:left;}"
    "#GoodsImage Img{width: 96px; height: 96px; border: solid 1px #CCCCCC;}"
    "#GoodsInfo{float:left; line-height: 150%; margin-left: 10px; width: 390px;}"
    "#GoodsInfo #GoodsTitle a{display:block; height: 30px; text-decoration:none; color: "
    "#336666;}"
    "#GoodsInfo #GoodsTitle a:hover{color: #990000;}"
    "#GoodsInfo #PriceLabel{letter-spacing: 24px;}"
    "#GoodsInfo #Price{color: #009900; font-weight:bold; margin-left: 30px;}"
    "#GoodsInfo #DelistLabel{margin-left: 30px;}"
    "#GoodsInfo #DelistTime{color: #666666; margin-left: 30px;}"
    "#SellerNick{margin-left: 10px;}"
    "#CommendInfo{float:right; height: 40px; margin-left: 10px;}"
    "#CommendInfo #CommendScore{text-align:right;}"
    "#CommendInfo #CommendScoreLabel{font-size: 24px; color: #FF0000;}"
    "#CommendInfo #CommendScoreValue{font-size: 36px; color: #FF0000; font-weight:bold;}"
    "#PriceScore{float:right; margin-top: 4px; margin-left: 20px;}"
    "#CreditScore{float:right; margin-top: 4px; margin-left: 10px;}"
    "#PBar_Green{width: 50px; height: 6px; border: solid 1px #333333; font-size:0px;}"
    "#PBar_GreenValue{background-color: #006600; height: 6px; font-size:0px;}"
    "#PBar_Yellow{width: 50px; height: 6px; border: solid 1px #333333; font-size:0px;}"
    "#PBar_YellowValue{background-color: #FF6600; height: 6px; font-size:0px;}"
    "#CommendIndex{float: right; color: #999999; margin-right: 20px;}"
    "-->"
    "</style>"
    "</head>"
    "<body>";

void AppendItem(std::string& page, const TAssayItemR& item, int32_t number, base::TDateTime now) {
    const std::string iid = HtmlEscape(item.iid);
    page += "<div id=\"CommendPanel\">";
    page += " <div id=\"GoodsImage\"><a href=\"";
    page += kItemPagePrefix;
    page += iid;
    page += ".jhtml\" target=\"_blank\"><img src=\"";
    page += HtmlEscape(item.pic_path);
    page += "\" /></a></div>";
    page += " \t<div id=\"GoodsInfo\">";
    page += " \t\t<span id=\"GoodsTitle\"><a href=\"";
    page += kItemPagePrefix;
    page += iid;
    page += ".jhtml\" target=\"_blank\">";
    page += HtmlEscape(item.title);
    page += "</a></span>";
    page += " \t\t<Label id=\"PriceLabel\">价格</Label><Label id=\"Price\">￥";
    page += base::FormatFixed(item.price, 2);
    page += "</Label>";
    page += " \t\t<Label id=\"DelistLabel\">下架时间</Label><Label id=\"DelistTime\">";
    page += DelistText(item.delist_time, now);
    page += "</Label>";
    page += " \t\t<br /><br />";
    page += " \t\t<Label id=\"SellerLabel\">卖家信息</Label>";
    page += " \t\t<Label id=\"SellerNick\">";
    page += HtmlEscape(item.nick);
    page += "</Label>";
    page += " \t\t<Label id=\"SellerCredit\"><img src=\"img/";
    page += std::to_string(item.seller_level);
    page += ".jpg\" /></Label>";
    page += " \t</div>";
    page += " \t<div id=\"CommendInfo\">";
    page += " \t\t<div id=\"CommendScore\">";
    page += " \t\t\t<label id=\"CommendScoreLabel\">推荐度</label>";
    page += " \t\t\t<label id=\"CommendScoreValue\">";
    page += base::FormatFixed(item.total_score, 2);
    page += "</label>";
    page += " \t\t</div>";
    page += " \t\t<div id=\"PriceScore\">";
    page += " \t\t\t<label id=\"PriceScoreLabel\">价格分</label>";
    page += " \t\t\t<div id=\"PBar_Green\"><div id=\"PBar_GreenValue\" style=\"width: ";
    page += std::to_string(BarWidth(item.price_score));
    page += "%\"></div></div>";
    page += " \t\t</div>";
    page += " \t\t<div id=\"CreditScore\">";
    page += " \t\t\t<label id=\"CreditScoreLabel\">信誉分</label>";
    page += " \t\t\t<div id=\"PBar_Yellow\"><div id=\"PBar_YellowValue\" style=\"width: ";
    page += std::to_string(BarWidth(item.credit_score));
    page += "%\"></div></div>";
    page += " \t\t</div>";
    page += " \t\t<div id=\"CommendIndex\">No. ";
    page += std::to_string(number);
    page += "</div>";
    page += " \t</div>";
    page += " </div>";
    page += "<br />";
}

}  // namespace

std::string BuildCommendPage(const TPageCriteria& criteria, const TAssayItemRA& sorted,
                             base::TDateTime now) {
    std::string page;
    page += kHeadStart;
    page += HtmlEscape(criteria.Keyword);
    page += " ";
    page += HtmlEscape(criteria.StartPrice);
    page += " - ";
    page += HtmlEscape(criteria.EndPrice);
    page += kHeadEnd;
    int32_t written = 0;
    for (const TAssayItemR& item : sorted) {
        if (written == criteria.CommendCount) {
            break;
        }
        if (item.seller_level < criteria.MinSellerLevel) {
            continue;
        }
        ++written;
        AppendItem(page, item, written, now);
    }
    page += "</body>";
    page += "</html>";
    return page;
}

std::string CommendPageBytes(const TPageCriteria& criteria, const TAssayItemRA& sorted,
                             base::TDateTime now) {
    return base::Utf8ToGbkWithCharRefs(BuildCommendPage(criteria, sorted, now)) + "\r\n";
}

std::string HtmlEscape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string DelistText(base::TDateTime delist_time, base::TDateTime now) {
    // Counted in whole milliseconds first, so that a day apart is a day although the two
    // date-times cannot hold their fractions exactly.
    constexpr int64_t kMsPerHour = 3600000;
    const int64_t ms = std::llround(std::fabs(delist_time - now) * 24 * kMsPerHour);
    const int64_t hours = ms / kMsPerHour;
    if (hours < 24) {
        return std::to_string(hours) + " 小时";
    }
    return std::to_string(hours / 24) + " 天";
}

int64_t BarWidth(double score) {
    // Browsers drop a negative width and draw the bar full, so a seller without a credit record
    // would look best; nor may a bar overflow its frame.
    const double width = score * 2;
    if (!(width > 0)) {
        return 0;
    }
    return base::RoundHalfEven(std::min(width, 100.0));
}

}  // namespace search
