// CPU cost of the engine's own steps: scoring and ranking, and the recommendation page.

#include "base/AtomicFile.h"
#include "base/DateTime.h"
#include "search/CommendPage.h"
#include "search/Scoring.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>

namespace {

const base::TDateTime kNow = base::EncodeDateTime({2009, 3, 3, 8, 5, 9, 0});

struct TCredit {
    int32_t level, score, totalNum, goodNum;
};

// Items as a search collects them: prices spread around a typical price, sellers at every level.
search::TAssayItemRA Collected(size_t count, std::vector<TCredit>& credits) {
    std::mt19937 random(42);
    std::lognormal_distribution<double> price(5.0, 0.6);
    std::uniform_int_distribution<int32_t> level(0, 20);
    std::uniform_int_distribution<int32_t> share(80, 100);
    search::TAssayItemRA items(count);
    credits.clear();
    for (size_t i = 0; i < count; ++i) {
        auto& item = items[i];
        item.iid = std::to_string(10000000 + i);
        item.title = "诺基亚 N95 手机 正品行货 全国联保 " + std::to_string(i);
        item.nick = "卖家" + std::to_string(i % 997);
        item.pic_path = "http://img.example/" + item.iid + ".jpg";
        item.delist_time = kNow + static_cast<double>(i % 14) + 0.3;
        item.price = static_cast<float>(std::round(price(random) * 100) / 100);
        const int32_t l = level(random);
        const int32_t total = 4 + 50 * l * l;
        credits.push_back({l, 5 * l * l * l, total, total * share(random) / 100});
    }
    return items;
}

void BM_ScoreAndSort(benchmark::State& state) {
    std::vector<TCredit> credits;
    const search::TAssayItemRA collected = Collected(static_cast<size_t>(state.range(0)), credits);
    for (auto _ : state) {
        state.PauseTiming();
        search::TAssayItemRA items = collected;
        state.ResumeTiming();
        double total = 0;
        for (const auto& item : items) {
            total += item.price;
        }
        const search::TPriceBand band = search::PriceBand(total / items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            auto& item = items[i];
            item.price_score = search::PriceScore(item.price, band);
            const auto credit = search::CreditScore(credits[i].level, credits[i].score,
                                                    credits[i].totalNum, credits[i].goodNum);
            item.seller_level = credit.seller_level;
            item.credit_score = credit.credit_score;
            item.total_score = item.price_score + item.credit_score;
        }
        search::SortByScore(items);
        benchmark::DoNotOptimize(items.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ScoreAndSort)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_WritePage(benchmark::State& state) {
    std::vector<TCredit> credits;
    const search::TAssayItemRA items = Collected(static_cast<size_t>(state.range(0)), credits);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("qv-bench-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(dir);
    const search::TPageCriteria criteria{"诺基亚+N95", "100", "2000",
                                         static_cast<int32_t>(state.range(0)), 0};
    for (auto _ : state) {
        base::ReplaceFile(dir / "Commend.html", search::CommendPageBytes(criteria, items, kNow));
    }
    std::filesystem::remove_all(dir);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WritePage)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
