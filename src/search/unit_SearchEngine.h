#pragma once

#include "base/DateTime.h"
#include "marketplace/unit_TBBasic.h"
#include "marketplace/unit_TBRecordDefine.h"
#include "search/TAssayItemR.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace search {

// One search from the first page request to the recommendation page, on a thread of its own.
//
// The creator makes an engine with Create, fills the event slots, may set Version, and hands
// the engine to Start, which runs it on a new thread and owns it from then on: the run destroys
// the engine when it ends, however it ends. Every event is raised on the run's thread, in order;
// an empty slot is skipped. A run ends with exactly one of OnFinished, OnNothingFound,
// OnTooManyHits and OnFailed, and raises nothing after it.
class TSearchEngine {
    struct CreateTag {
        explicit CreateTag() = default;
    };

  public:
    // gatewayUrl and clock are seams for tests and tools; the clock dates the delist texts.
    static std::unique_ptr<TSearchEngine> Create(int32_t CommendCount,
                                                 std::string gatewayUrl = marketplace::kGatewayUrl,
                                                 base::Clock clock = base::NowLocal);

    // Starts the run. The texts are taken as they are: PrepareCriteria has made them ready.
    // The returned thread ends after the run has destroyed the engine; join or detach it.
    [[nodiscard]] static std::jthread Start(std::unique_ptr<TSearchEngine> Engine,
                                            std::string Keyword, std::string StartPrice,
                                            std::string EndPrice, int32_t MinSellerLevel,
                                            bool ForceSearch);

    TSearchEngine(CreateTag, int32_t CommendCount, std::string gatewayUrl, base::Clock clock);
    ~TSearchEngine();
    TSearchEngine(const TSearchEngine&) = delete;
    TSearchEngine& operator=(const TSearchEngine&) = delete;

    int32_t CommendCount;
    TAssayItemRA AssayList;
    std::string Keyword;
    std::string StartPrice;
    std::string EndPrice;
    int32_t MinSellerLevel = 0;
    bool ForceSearch = false;
    double TotalPrice = 0;
    double AveragePrice = 0;
    std::string Version = "1.00";

    // Total hits after every page request; the number of items at the start of each scoring pass.
    std::function<void(int32_t)> OnItemCount;
    // A position counted against the last OnItemCount.
    std::function<void(int32_t)> OnProgress;
    // An item's title while collecting, what is being done while scoring.
    std::function<void(const std::string&)> OnStatus;
    std::function<void(double)> OnAveragePrice;
    // Too many hits for an unforced search: the estimated minutes. The run ends.
    std::function<void(int32_t)> OnTooManyHits;
    // Steps 1 to 5: collecting, price scores, credit scores, ranking, page.
    std::function<void(int32_t)> OnStep;
    // The page is written. The run ends.
    std::function<void()> OnFinished;
    // A page request found nothing. The run ends.
    std::function<void()> OnNothingFound;
    // The run ended with this error; the page was not replaced.
    std::function<void(const std::string&)> OnFailed;

  private:
    enum class TEnd { Finished, Stopped };

    void Execute() noexcept;
    TEnd Run();
    TEnd FetchPage(const std::string& Keyword, int32_t PageSize, int32_t PageNo);
    void TakeOver(const marketplace::TItemRA& Items);
    void CalcPriceScores();
    void CalcCreditScores();
    void SortByScore();
    void WritePage();
    void SendReport();
    std::string GetWorkDir() const;
    void EnsureDir(const std::string& Dir) const;

    std::string gatewayUrl_;
    base::Clock clock_;
};

}  // namespace search
