#pragma once

#include "base/DateTime.h"
#include "search/TAssayItemR.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace search {

// Where an item's page lives on the marketplace: this prefix, the item id, ".jhtml".
inline constexpr std::string_view kItemPagePrefix = "http://item.taobao.com/auction/item_detail--";

// What the page shows besides the items.
struct TPageCriteria {
    std::string Keyword;
    std::string StartPrice;
    std::string EndPrice;
    int32_t CommendCount = 0;    // at most this many items
    int32_t MinSellerLevel = 0;  // sellers below this level are left out
};

// The recommendation page in UTF-8, one line without a line break: the best items of the
// sorted list, numbered from 1. Every inserted value is HTML-escaped.
std::string BuildCommendPage(const TPageCriteria& criteria, const TAssayItemRA& sorted,
                             base::TDateTime now);

// The page as the file holds it: GBK, as the page declares, with numeric character references
// for what GBK cannot hold, and one CR LF at the end.
std::string CommendPageBytes(const TPageCriteria& criteria, const TAssayItemRA& sorted,
                             base::TDateTime now);

// Text with & < > " ' replaced by character references, safe in text and attribute values.
std::string HtmlEscape(std::string_view text);

// How far the delist time lies from now, either way: "H 小时" below a day, else "D 天".
std::string DelistText(base::TDateTime delist_time, base::TDateTime now);

// A score's bar width in percent of the 50-point bar: twice the score, rounded half to even,
// held to 0 to 100 (a negative score shows an empty bar).
int64_t BarWidth(double score);

}  // namespace search
