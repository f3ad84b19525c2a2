#include "search/Scoring.h"

#include "base/Numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

namespace search {
namespace {

constexpr int32_t kTopLevel = 20;

struct TLevelRange {
    double Lower;
    double Upper;
};

// Credit points covered by each seller level; the top level has no upper end.
constexpr std::array<TLevelRange, kTopLevel + 1> kLevelTable{{
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
    {10000001, 0},
}};

void QuickSort(TAssayItemRA& list, std::ptrdiff_t first, std::ptrdiff_t last) {
    std::ptrdiff_t i = first;
    do {
        i = first;
        std::ptrdiff_t j = last;
        // The pivot is an item, not a position: it is followed when a swap moves it.
        std::ptrdiff_t pivot = (first + last) / 2;
        do {
            while (CompareTotalScore(list[i], list[pivot]) < 0) {
                ++i;
            }
            while (CompareTotalScore(list[j], list[pivot]) > 0) {
                --j;
            }
            if (i <= j) {
                if (i != j) {
                    std::swap(list[i], list[j]);
                    if (pivot == i) {
                        pivot = j;
                    } else if (pivot == j) {
                        pivot = i;
                    }
                }
                ++i;
                --j;
            }
        } while (i <= j);
        if (first < j) {
            QuickSort(list, first, j);
        }
        first = i;
    } while (i < last);
}

}  // namespace

double PriceTolerance(double AveragePrice) {
    // Beyond this magnitude only the last row can apply, and the rounded value might not fit.
    if (!(std::fabs(AveragePrice) < 1e15)) {
        return 0.005;
    }
    const int64_t rounded = base::RoundHalfEven(AveragePrice);
    if (rounded >= 1 && rounded <= 500) {
        return 0.05;
    }
    if (rounded >= 501 && rounded <= 1000) {
        return 0.025;
    }
    if (rounded >= 1001 && rounded <= 5000) {
        return 0.01;
    }
    return 0.005;
}

TPriceBand PriceBand(double AveragePrice) {
    const double t = PriceTolerance(AveragePrice);
    return {AveragePrice * (1 - t), AveragePrice * (1 + t)};
}

double PriceScore(float price, const TPriceBand& band) {
    const double p = price;
    double deviation = 0;
    if (p <= band.Lower) {
        if (p < band.Lower) {
            if (band.Lower <= 0) {
                return 0;
            }
            deviation = (band.Lower - p) / band.Lower;
        }
    } else if (p >= band.Upper) {
        if (p > band.Upper) {
            if (band.Upper <= 0) {
                return 0;
            }
            deviation = (p - band.Upper) / band.Upper;
        }
    }
    return (1 - deviation) * 100 * 0.5;
}

TCreditScore CreditScore(int32_t Level, int32_t Score, int32_t TotalNum, int32_t GoodNum) {
    const int32_t level = std::clamp(Level, 0, kTopLevel);
    const double base = 5.0 * level;
    TCreditScore result;
    result.seller_level = level;
    result.seller_score = Score;
    result.good_rate = TotalNum != 0 ? static_cast<double>(GoodNum) / TotalNum : 1.0;
    double raw = base;
    if (level < kTopLevel) {
        const TLevelRange& range = kLevelTable[static_cast<size_t>(level)];
        raw = (Score - range.Lower) / (range.Upper - range.Lower) * 5 + (base - 5);
    }
    result.credit_score = result.good_rate * raw * 0.5;
    return result;
}

int CompareTotalScore(const TAssayItemR& A, const TAssayItemR& B) {
    if (A.total_score > B.total_score) {
        return -1;
    }
    if (A.total_score < B.total_score) {
        return 1;
    }
    return 0;
}

void SortByScore(TAssayItemRA& list) {
    if (!list.empty()) {
        QuickSort(list, 0, static_cast<std::ptrdiff_t>(list.size()) - 1);
    }
}

}  // namespace search
