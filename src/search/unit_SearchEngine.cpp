#include "search/unit_SearchEngine.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/Paths.h"
#include "marketplace/unit_TB_Item.h"
#include "marketplace/unit_TB_User.h"
#include "report/searchadd.h"
#include "search/AheadRequests.h"
#include "search/CommendPage.h"
#include "search/Scoring.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace search {
namespace {

constexpr char kAppKey[] = "38015";
constexpr char kAppSecret[] = "7c3e91a05b2d48f6a0e1d9c4b8f27a63";
constexpr char kSessionId[] = "";
constexpr char kFormat[] = "xml";

constexpr int32_t kPageSize = 200;
// More hits than this stop an unforced search; the estimate counts a minute per page.
constexpr int32_t kMostHitsUnforced = 500;

void CheckStop(const std::stop_token& stop) {
    if (stop.stop_requested()) {
        throw RunStopped();
    }
}

float PriceToFloat(const std::string& text, const std::string& iid) {
    try {
        const double value = base::StrToFloat(text);
        if (std::fabs(value) > std::numeric_limits<float>::max()) {
            throw base::ConvertError("'" + text + "' is out of range");
        }
        return static_cast<float>(value);
    } catch (const base::ConvertError& e) {
        throw base::ConvertError("item " + iid + ": " + e.what());
    }
}

// Nothing reads the post fee, so a fee that is missing or unreadable is no reason to end a
// search: it counts as 0.
float PostFeeToFloat(const std::string& text) {
    try {
        return PriceToFloat(text, {});
    } catch (const base::ConvertError&) {
        return 0;
    }
}

}  // namespace

struct TSearchEngine::PageAnswer {
    int32_t TotalResults = 0;
    marketplace::TItemRA Items;
};

struct TSearchEngine::SellerCredit {
    int32_t Level = 0;
    int32_t Score = 0;
    int32_t TotalNum = 0;
    int32_t GoodNum = 0;
};

std::unique_ptr<TSearchEngine> TSearchEngine::Create(int32_t CommendCount, std::string gatewayUrl,
                                                     base::Clock clock, RequestSettings settings) {
    if (settings.parallel < 1 || settings.parallel > kMostParallel) {
        throw std::invalid_argument("a search makes 1 to " + std::to_string(kMostParallel) +
                                    " requests at a time, not " +
                                    std::to_string(settings.parallel));
    }
    return std::make_unique<TSearchEngine>(CreateTag{}, CommendCount, std::move(gatewayUrl),
                                           std::move(clock), settings);
}

TSearchEngine::TSearchEngine(CreateTag, int32_t CommendCount, std::string gatewayUrl,
                             base::Clock clock, RequestSettings settings)
    : CommendCount(CommendCount),
      gatewayUrl_(std::move(gatewayUrl)),
      clock_(std::move(clock)),
      settings_(settings) {}

TSearchEngine::~TSearchEngine() = default;

std::jthread TSearchEngine::Start(std::unique_ptr<TSearchEngine> Engine, std::string Keyword,
                                  std::string StartPrice, std::string EndPrice,
                                  int32_t MinSellerLevel, bool ForceSearch) {
    if (!Engine) {
        throw std::invalid_argument("TSearchEngine::Start needs an engine");
    }
    Engine->Keyword = std::move(Keyword);
    Engine->StartPrice = std::move(StartPrice);
    Engine->EndPrice = std::move(EndPrice);
    Engine->MinSellerLevel = MinSellerLevel;
    Engine->ForceSearch = ForceSearch;
    Engine->TotalPrice = 0;
    return std::jthread([engine = std::move(Engine)](std::stop_token stop) mutable {
        engine->Execute(std::move(stop));
        engine.reset();
    });
}

void TSearchEngine::Execute(std::stop_token stop) noexcept {
    stop_ = std::move(stop);
    // A failure after a stop may be the stop's own doing (an abandoned request): it is not
    // reported either.
    try {
        if (Run() == TEnd::Stopped) {
            return;
        }
    } catch (const RunStopped&) {
        return;
    } catch (const std::exception& e) {
        RaiseLast(OnFailed, std::string(e.what()));
        return;
    } catch (...) {
        RaiseLast(OnFailed, std::string("the search failed for an unknown reason"));
        return;
    }
    if (stop_.stop_requested()) {
        return;
    }
    // The page is complete and is what the user waits for; the report is only for the vendor.
    try {
        SendReport();
    } catch (...) {
    }
    RaiseLast(OnFinished);
}

// No event starts once the run's stop has been requested.
template <typename... Args>
void TSearchEngine::Raise(const std::function<void(Args...)>& slot,
                          std::type_identity_t<Args>... args) const {
    CheckStop(stop_);
    if (slot) {
        slot(args...);
    }
}

// The last event of a run: what its handler throws cannot become another event.
template <typename... Args>
void TSearchEngine::RaiseLast(const std::function<void(Args...)>& slot,
                              std::type_identity_t<Args>... args) const noexcept {
    try {
        Raise<Args...>(slot, args...);
    } catch (...) {
    }
}

TSearchEngine::TEnd TSearchEngine::Run() {
    Raise(OnStep, 1);
    if (FetchPage(Keyword, kPageSize, 1) == TEnd::Stopped) {
        return TEnd::Stopped;
    }
    AveragePrice = AssayList.empty() ? 0 : TotalPrice / static_cast<double>(AssayList.size());
    Raise(OnAveragePrice, AveragePrice);
    Raise(OnStep, 2);
    CalcPriceScores();
    Raise(OnStep, 3);
    CalcCreditScores();
    Raise(OnStep, 4);
    SortByScore();
    Raise(OnStep, 5);
    CheckStop(stop_);
    WritePage();
    return TEnd::Finished;
}

// Requests page PageNo and, while pages come back full, every later one; then takes the items
// over from the deepest page back to page PageNo, so that the list starts with the last page.
//
// The first page's total tells how many pages there are: those are asked for together and taken
// in page order, and the first page that is not full ends the paging as it would one page at a
// time (answers past it are dropped). Pages beyond the total, which a consistent gateway never
// fills, are asked for one at a time, only once the page before came back full.
TSearchEngine::TEnd TSearchEngine::FetchPage(const std::string& Keyword, int32_t PageSize,
                                             int32_t PageNo) {
    std::vector<marketplace::TItemRA> pages;
    PageAnswer first = RequestPage(Keyword, PageSize, PageNo, stop_);
    const int64_t lastPromised = first.TotalResults / PageSize + 1;
    Paging paging = TakePage(std::move(first), PageSize, PageNo, pages);
    if (paging == Paging::Full) {
        AheadRequests<PageAnswer> ahead(
            [this, &Keyword, PageSize, PageNo](size_t index, std::stop_token stop) {
                return RequestPage(Keyword, PageSize, PageNo + 1 + static_cast<int64_t>(index),
                                   std::move(stop));
            },
            static_cast<size_t>(settings_.parallel), stop_);
        const int64_t promised = std::max<int64_t>(lastPromised - PageNo, 0);
        for (int64_t index = 0; paging == Paging::Full; ++index) {
            const auto end = static_cast<size_t>(std::max(promised, index + 1));
            paging = TakePage(ahead.TakeNext(end), PageSize, PageNo + 1 + index, pages);
        }
    }
    if (paging == Paging::Stopped) {
        return TEnd::Stopped;
    }
    for (auto page = pages.rbegin(); page != pages.rend(); ++page) {
        TakeOver(*page);
        page->clear();
    }
    return TEnd::Finished;
}

TSearchEngine::PageAnswer TSearchEngine::RequestPage(const std::string& keyword, int32_t pageSize,
                                                     int64_t pageNo, std::stop_token stop) const {
    CheckStop(stop);
    marketplace::TItems search(kAppKey, kAppSecret, kSessionId, kFormat, gatewayUrl_, clock_);
    search.HTTPClient.SetStop(std::move(stop));
    search.GetItems(static_cast<int32_t>(pageNo), pageSize, "", "", StartPrice, EndPrice, keyword,
                    "");
    return {search.TotalResults, std::move(search.Items)};
}

// The events of one page and the two early stops, as each page is taken in its turn.
TSearchEngine::Paging TSearchEngine::TakePage(PageAnswer answer, int32_t pageSize, int64_t pageNo,
                                              std::vector<marketplace::TItemRA>& pages) {
    const int32_t total = answer.TotalResults;
    const auto received = static_cast<int64_t>(answer.Items.size());
    if (total == 0 && OnNothingFound) {
        RaiseLast(OnNothingFound);
        return Paging::Stopped;
    }
    Raise(OnItemCount, total);
    Raise(OnProgress, static_cast<int32_t>(received + (pageNo - 1) * pageSize));
    if (!ForceSearch && total > kMostHitsUnforced && OnTooManyHits) {
        RaiseLast(OnTooManyHits, static_cast<int32_t>(base::RoundHalfEven(total / 200.0)));
        return Paging::Stopped;
    }
    pages.push_back(std::move(answer.Items));
    return received == pageSize ? Paging::Full : Paging::Last;
}

void TSearchEngine::TakeOver(const marketplace::TItemRA& Items) {
    const size_t before = AssayList.size();
    for (size_t i = 0; i < Items.size(); ++i) {
        const marketplace::TItemR& record = Items[i];
        if (record.iid.empty()) {
            continue;
        }
        Raise(OnProgress, static_cast<int32_t>(before + i));
        Raise(OnStatus, record.title);
        TAssayItemR item;
        item.iid = record.iid;
        item.title = record.title;
        item.nick = record.nick;
        item.type = record.type;
        item.cid = record.cid;
        item.pic_path = record.pic_path;
        item.delist_time = record.delist_time;
        item.price = PriceToFloat(record.price, record.iid);
        item.post_fee = PostFeeToFloat(record.post_fee);
        TotalPrice += item.price;
        AssayList.push_back(std::move(item));
    }
}

void TSearchEngine::CalcPriceScores() {
    Raise(OnStatus, std::string("正在计算价格得分情况..."));
    Raise(OnItemCount, static_cast<int32_t>(AssayList.size()));
    const TPriceBand band = PriceBand(AveragePrice);
    for (size_t i = 0; i < AssayList.size(); ++i) {
        Raise(OnProgress, static_cast<int32_t>(i));
        AssayList[i].price_score = PriceScore(AssayList[i].price, band);
    }
}

// The lookups are numbered in the order in which the pass first needs them, one per item, or
// with the seller cache one per nick, and are made ahead of the pass; the pass still raises
// every item's events in its turn before it takes the item's answer, so that a lookup that
// fails the run ends it at the same item as a lookup made there would.
void TSearchEngine::CalcCreditScores() {
    Raise(OnItemCount, static_cast<int32_t>(AssayList.size()));
    std::vector<std::string> nicks;
    std::vector<size_t> lookupOf;
    lookupOf.reserve(AssayList.size());
    std::unordered_map<std::string_view, size_t> lookupByNick;
    for (const TAssayItemR& item : AssayList) {
        if (settings_.sellerCache) {
            const auto [known, added] = lookupByNick.try_emplace(item.nick, nicks.size());
            if (added) {
                nicks.push_back(item.nick);
            }
            lookupOf.push_back(known->second);
        } else {
            lookupOf.push_back(nicks.size());
            nicks.push_back(item.nick);
        }
    }
    AheadRequests<SellerCredit> ahead(
        [this, &nicks](size_t index, std::stop_token stop) {
            return GetCredit(nicks[index], std::move(stop));
        },
        static_cast<size_t>(settings_.parallel), stop_);
    std::vector<SellerCredit> answers;
    answers.reserve(nicks.size());
    for (size_t i = 0; i < AssayList.size(); ++i) {
        TAssayItemR& item = AssayList[i];
        Raise(OnStatus, "正在查询" + item.nick + "的信用记录...");
        Raise(OnProgress, static_cast<int32_t>(i + 1));
        if (lookupOf[i] == answers.size()) {
            answers.push_back(ahead.TakeNext(nicks.size()));
        }
        const SellerCredit& answer = answers[lookupOf[i]];
        const TCreditScore credit =
            CreditScore(answer.Level, answer.Score, answer.TotalNum, answer.GoodNum);
        item.seller_level = credit.seller_level;
        item.seller_score = credit.seller_score;
        item.good_rate = credit.good_rate;
        item.credit_score = credit.credit_score;
        item.total_score = item.credit_score + item.price_score;
    }
}

TSearchEngine::SellerCredit TSearchEngine::GetCredit(const std::string& nick,
                                                     std::stop_token stop) const {
    CheckStop(stop);
    marketplace::TUser user(kAppKey, kAppSecret, kSessionId, kFormat, gatewayUrl_, clock_);
    user.HTTPClient.SetStop(std::move(stop));
    user.GetUser(nick);
    return {user.Level, user.Score, user.TotalNum, user.GoodNum};
}

void TSearchEngine::SortByScore() {
    search::SortByScore(AssayList);
}

void TSearchEngine::WritePage() {
    const std::string page = CommendPageBytes(
        {Keyword, StartPrice, EndPrice, CommendCount, MinSellerLevel}, AssayList, clock_());
    EnsureDir(GetWorkDir());
    base::ReplaceFile(GetWorkDir() + "Commend.html", page);
}

void TSearchEngine::SendReport() {
    const float lowest = report::ReportPrice(StartPrice);
    const float highest = report::ReportPrice(EndPrice);
    const std::unique_ptr<report::SearchAddSoap> service = report::GetSearchAddSoap(stop_);
    service->AddSub(Keyword, lowest, highest, static_cast<int64_t>(AssayList.size()),
                    static_cast<float>(AveragePrice), Version);
}

std::string TSearchEngine::GetWorkDir() const {
    return base::GetWorkDir();
}

void TSearchEngine::EnsureDir(const std::string& Dir) const {
    std::error_code error;
    std::filesystem::create_directory(Dir, error);
    if (error) {
        throw std::system_error(error, "cannot create the directory " + Dir);
    }
}

}  // namespace search
