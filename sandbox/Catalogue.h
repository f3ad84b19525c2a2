#pragma once

#include "base/DateTime.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sandbox {

// Credit points covered by each seller level. Level 20 is open upwards in the marketplace; the
// sandbox gives its sellers at most `upper` points so that every figure fits 32 bits.
struct LevelRange {
    int32_t lower;
    int32_t upper;
};
inline constexpr std::array<LevelRange, 21> kLevelRanges{{
    {0, 3},
    {4, 10},
    {11, 40},
    {41, 90},
    {91, 150},
    {151, 250},
    {251, 500},
    {501, 1000},
    {1001, 2000},
    {2001, 5000},
    {5001, 10000},
    {10001, 20000},
    {20001, 50000},
    {50001, 100000},
    {100001, 200000},
    {200001, 500000},
    {500001, 1000000},
    {1000001, 2000000},
    {2000001, 5000000},
    {5000001, 10000000},
    {10000001, 50000000},
}};

struct Seller {
    std::string nick;
    int32_t level = 0;
    int32_t score = 0;
    int32_t totalNum = 0;
    int32_t goodNum = 0;
};

struct Item {
    std::string iid;
    std::string title;
    std::string type;  // "fixed" or "auction"
    std::string cid;
    std::string keyword;  // the product word every title of its category holds
    size_t seller = 0;    // index into Catalogue::sellers()
    int64_t priceCents = 0;
    int64_t postFeeCents = 0;
    base::TDateTime delistTime = 0;
};

// "1299.00": a price in yuan with two decimals, as the marketplace writes prices.
std::string FormatCents(int64_t cents);

enum class ItemOrder {
    Catalogue,
    PriceAscending,
    PriceDescending,
    DelistAscending,
    DelistDescending
};

struct ItemQuery {
    std::vector<std::string>
        terms;  // every one must occur in the title (Latin letters in any case)
    std::optional<double> startPrice;
    std::optional<double> endPrice;
    std::string cid;                 // empty: any category
    std::vector<std::string> nicks;  // empty: any seller
    ItemOrder order = ItemOrder::Catalogue;
};

// A generated marketplace. Which words a title holds, and so how many items a keyword finds,
// depends only on the item's place in the catalogue; the seed decides item ids, prices, post
// fees, sellers' scores and ratings, which seller offers an item and when it is delisted.
class Catalogue {
  public:
    Catalogue(uint64_t seed, base::TDateTime now);

    const std::vector<Item>& items() const { return items_; }
    const std::vector<Seller>& sellers() const { return sellers_; }
    // A seller's nick, or the nick of the item's own seller (OwnSellerNick); nullptr for a nick
    // the catalogue does not know.
    const Seller* FindSeller(std::string_view nick) const;

    // The item offered by a seller of its own: its seller's nick, "·" and the item's place in the
    // catalogue ("阳光数码·4711"). That seller has its seller's credit record.
    std::string OwnSellerNick(const Item& item) const;

    std::vector<const Item*> Search(const ItemQuery& query) const;

  private:
    std::vector<Seller> sellers_;
    std::vector<Item> items_;
    std::vector<std::string> foldedTitles_;
    std::unordered_map<std::string, size_t> sellerByNick_;
};

}  // namespace sandbox
