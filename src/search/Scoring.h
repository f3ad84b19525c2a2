#pragma once

#include "search/TAssayItemR.h"

#include <cstdint>

namespace search {

// The prices that count as fair: the average price widened by a tolerance that shrinks as the
// average grows (5 % up to 500, 2.5 % up to 1000, 1 % up to 5000, 0.5 % beyond and at 0).
struct TPriceBand {
    double Lower = 0;
    double Upper = 0;
};

double PriceTolerance(double AveragePrice);
TPriceBand PriceBand(double AveragePrice);

// 50 for a price inside the band or on one of its edges; below the band the score falls
// linearly to 0 at a price of 0; above it, it falls by 50 per Upper of excess and goes negative.
// A band edge of 0 or less cannot serve as a scale: a price beyond it scores 0.
double PriceScore(float price, const TPriceBand& band);

struct TCreditScore {
    int32_t seller_level = 0;
    int32_t seller_score = 0;
    double good_rate = 0;
    double credit_score = 0;
};

// The credit score of a seller from the four numbers of the credit lookup (all 0 when the
// lookup failed). Levels outside 0 to 20 count as the nearest end of the level table.
TCreditScore CreditScore(int32_t Level, int32_t Score, int32_t TotalNum, int32_t GoodNum);

// Best first: -1 when A's total score is the greater, 1 when it is the smaller, 0 when equal.
int CompareTotalScore(const TAssayItemR& A, const TAssayItemR& B);

// Sorts best first with the list's own unstable quicksort (middle pivot, Hoare partition):
// items with equal scores end where that procedure puts them, and the page shows them so.
void SortByScore(TAssayItemRA& list);

}  // namespace search
