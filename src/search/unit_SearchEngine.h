#pragma once

#include "base/DateTime.h"
#include "marketplace/unit_TBBasic.h"
#include "marketplace/unit_TBRecordDefine.h"
#include "search/TAssayItemR.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace search {

// The most requests a run may have in flight.
inline constexpr int32_t kMostParallel = 16;

// How a run uses the gateway. The defaults are the programs'; a gateway that limits its callers
// may want fewer requests at a time, and a benchmark the order of requests of a run that makes
// them one after another (parallel 1, no seller cache).
struct RequestSettings {
    // Requests in flight at most, 1 to kMostParallel: further pages once the first one has
    // told how many there are, and seller credit lookups ahead of the credit pass.
    int32_t parallel = 8;
    // Each seller's credit is asked once per run, and every item of that seller scores with
    // the same answer (a failed lookup included).
    bool sellerCache = true;
};

// One search from the first page request to the recommendation page, on a thread of its own.
//
// The creator makes an engine with Create, fills the event slots, may set Version, and hands
// the engine to Start, which runs it on a new thread and owns it from then on: the run destroys
// the engine when it ends, however it ends. Every event is raised on the run's thread, in order;
// an empty slot is skipped. A run ends with exactly one of OnFinished, OnNothingFound,
// OnTooManyHits and OnFailed, and raises nothing after it, unless it is stopped.
//
// Requests may be made several at a time (RequestSettings), but the events, the page and the
// report are those of a run that makes them one after another.
//
// A stop (the thread's stop_source) ends the run quietly: no event is raised once it has been
// requested, the page is not replaced and no report is sent. The run looks before every
// request and every event; a request under way is abandoned within about a second. (A stop
// that comes after the page was written leaves the new page; the run still ends without the
// report and OnFinished.)
class TSearchEngine {
    struct CreateTag {
        explicit CreateTag() = default;
    };

  public:
    // gatewayUrl and clock are seams for tests and tools; the clock dates the delist texts and
    // the requests' time stamps, and is called from several threads at once. Throws
    // std::invalid_argument when settings.parallel is not from 1 to kMostParallel.
    static std::unique_ptr<TSearchEngine> Create(int32_t CommendCount,
                                                 std::string gatewayUrl = marketplace::kGatewayUrl,
                                                 base::Clock clock = base::NowLocal,
                                                 RequestSettings settings = {});

    // Starts the run. The texts are taken as they are: PrepareCriteria has made them ready.
    // The returned thread ends after the run has destroyed the engine, every thread of its own
    // joined; join or detach it, and request a stop through it (get_stop_source) at any time.
    [[nodiscard]] static std::jthread Start(std::unique_ptr<TSearchEngine> Engine,
                                            std::string Keyword, std::string StartPrice,
                                            std::string EndPrice, int32_t MinSellerLevel,
                                            bool ForceSearch);

    TSearchEngine(CreateTag, int32_t CommendCount, std::string gatewayUrl, base::Clock clock,
                  RequestSettings settings);
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
    // What a page taken in its turn means for the paging.
    enum class Paging { Full, Last, Stopped };
    struct PageAnswer;
    struct SellerCredit;

    template <typename... Args>
    void Raise(const std::function<void(Args...)>& slot, std::type_identity_t<Args>... args) const;
    template <typename... Args>
    void RaiseLast(const std::function<void(Args...)>& slot,
                   std::type_identity_t<Args>... args) const noexcept;
    void Execute(std::stop_token stop) noexcept;
    TEnd Run();
    TEnd FetchPage(const std::string& Keyword, int32_t PageSize, int32_t PageNo);
    PageAnswer RequestPage(const std::string& keyword, int32_t pageSize, int64_t pageNo,
                           std::stop_token stop) const;
    Paging TakePage(PageAnswer answer, int32_t pageSize, int64_t pageNo,
                    std::vector<marketplace::TItemRA>& pages);
    void TakeOver(const marketplace::TItemRA& Items);
    void CalcPriceScores();
    void CalcCreditScores();
    SellerCredit GetCredit(const std::string& nick, std::stop_token stop) const;
    void SortByScore();
    void WritePage();
    void SendReport();
    std::string GetWorkDir() const;
    void EnsureDir(const std::string& Dir) const;

    std::string gatewayUrl_;
    base::Clock clock_;
    RequestSettings settings_;
    std::stop_token stop_;
};

}  // namespace search
