#include "search/Scoring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace search {
namespace {

TEST(PriceScore, FollowsTheBandAroundTheAverage) {
    const TPriceBand band = PriceBand(300);  // tolerance 5 %: 285 to 315
    const struct {
        float price;
        double score;
    } cases[] = {{285, 50},    {300, 50}, {315, 50}, {316, 49.84},
                 {250, 43.86}, {0, 0},    {630, 0},  {945, -50}};
    for (const auto& c : cases) {
        EXPECT_NEAR(PriceScore(c.price, band), c.score, 0.005) << "price " << c.price;
    }
}

TEST(PriceScore, ToleranceDependsOnTheRoundedAverage) {
    const struct {
        double average;
        double tolerance;
    } cases[] = {{500.5, 0.05}, {500.6, 0.025}, {1000.5, 0.025}, {5000.5, 0.01}, {5001, 0.005},
                 {0.5, 0.005},  {1.5, 0.05},    {0, 0.005},      {-20, 0.005},   {1e300, 0.005}};
    for (const auto& c : cases) {
        EXPECT_EQ(PriceTolerance(c.average), c.tolerance) << "average " << c.average;
    }
}

TEST(PriceScore, EdgesAtZeroNeverDivideByZero) {
    // Every price 0: the band is 0 to 0 and every item sits on its edges.
    const TPriceBand zero = PriceBand(0);
    EXPECT_EQ(PriceScore(0, zero), 50);
    EXPECT_EQ(PriceScore(5, zero), 0);
    EXPECT_EQ(PriceScore(-5, zero), 0);
    // A negative average puts both edges below zero.
    const TPriceBand negative = PriceBand(-100);
    EXPECT_EQ(PriceScore(-200, negative), 0);
    EXPECT_EQ(PriceScore(50, negative), 0);
}

TEST(CreditScore, FollowsTheLevelTable) {
    const struct {
        int32_t level, score, totalNum, goodNum;
        int32_t sellerLevel;
        double goodRate, creditScore;
    } cases[] = {
        {5, 200, 0, 0, 5, 1.0, 11.24},           // raw credit 22.47
        {20, 123456789, 100, 98, 20, 0.98, 49},  // the top level takes its base
        {1, 10, 10, 9, 1, 0.9, 2.25},            // top of level 1: raw credit 5
        {2, 11, 10, 10, 2, 1.0, 2.5},            // bottom of level 2 meets the top of level 1
        {0, 0, 0, 3, 0, 1.0, -2.5},              // no ratings count as all good
        {0, 0, 0, 0, 0, 1.0, -2.5},              // what a failed lookup gives
        {7, 400, 4, 1, 7, 0.25, 3.62},           // points below the range extend the line
        {25, 0, 0, 0, 20, 1.0, 50},              // beyond the table: its top level
        {-3, 0, 0, 0, 0, 1.0, -2.5},             // below the table: its bottom level
    };
    for (const auto& c : cases) {
        const TCreditScore credit = CreditScore(c.level, c.score, c.totalNum, c.goodNum);
        SCOPED_TRACE("level " + std::to_string(c.level) + ", points " + std::to_string(c.score));
        EXPECT_EQ(credit.seller_level, c.sellerLevel);
        EXPECT_EQ(credit.seller_score, c.score);
        EXPECT_DOUBLE_EQ(credit.good_rate, c.goodRate);
        EXPECT_NEAR(credit.credit_score, c.creditScore, 0.005);
    }
}

TAssayItemRA ItemsScored(const std::string& ids, const std::vector<double>& scores) {
    TAssayItemRA items;
    for (size_t i = 0; i < ids.size(); ++i) {
        TAssayItemR item;
        item.iid = std::string(1, ids[i]);
        item.total_score = scores[i];
        items.push_back(item);
    }
    return items;
}

std::string Ids(const TAssayItemRA& items) {
    std::string ids;
    for (const auto& item : items) {
        ids += item.iid;
    }
    return ids;
}

TEST(SortByScore, EqualScoresEndWhereTheQuicksortPutsThem) {
    const struct {
        std::string ids;
        std::vector<double> scores;
        std::string sorted;
    } cases[] = {
        {"ABCDE", {5, 7, 5, 7, 5}, "DBEAC"},  // neither stable nor reversed
        {"ABCD", {1, 1, 1, 1}, "CDAB"},
        {"ABC", {1, 2, 3}, "CBA"},
        {"A", {4}, "A"},
        {"", {}, ""},
    };
    for (const auto& c : cases) {
        TAssayItemRA items = ItemsScored(c.ids, c.scores);
        SortByScore(items);
        EXPECT_EQ(Ids(items), c.sorted) << c.ids;
    }
}

TEST(SortByScore, OrdersAnyListBestFirst) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> score(-5, 40);  // many ties
    TAssayItemRA items(2000);
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].iid = std::to_string(i);
        items[i].total_score = score(random) / 2.0;
    }
    TAssayItemRA sorted = items;
    SortByScore(sorted);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.total_score > b.total_score;
    }));
    const auto byId = [](const auto& a, const auto& b) { return a.iid < b.iid; };
    std::sort(items.begin(), items.end(), byId);
    std::sort(sorted.begin(), sorted.end(), byId);
    EXPECT_TRUE(std::equal(items.begin(), items.end(), sorted.begin(), sorted.end(),
                           [](const auto& a, const auto& b) {
                               return a.iid == b.iid && a.total_score == b.total_score;
                           }));
}

TEST(CompareTotalScore, PutsTheGreaterScoreFirst) {
    TAssayItemR high, low;
    high.total_score = 60.5;
    low.total_score = 60.25;
    EXPECT_EQ(CompareTotalScore(high, low), -1);
    EXPECT_EQ(CompareTotalScore(low, high), 1);
    EXPECT_EQ(CompareTotalScore(low, low), 0);
}

}  // namespace
}  // namespace search
