#include "search/unit_SearchEngine.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/Paths.h"
#include "marketplace/unit_TB_Item.h"
#include "marketplace/unit_TB_User.h"
#include "report/searchadd.h"
#include "search/CommendPage.h"
#include "search/Scoring.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <type_traits>
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

template <typename... Args>
void Raise(const std::function<void(Args...)>& slot, std::type_identity_t<Args>... args) {
    if (slot) {
        slot(args...);
    }
}

// The last event of a run: what its handler throws cannot become another event.
template <typename... Args>
void RaiseLast(const std::function<void(Args...)>& slot,
               std::type_identity_t<Args>... args) noexcept {
    try {
        Raise<Args...>(slot, args...);
    } catch (...) {
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

std::unique_ptr<TSearchEngine> TSearchEngine::Create(int32_t CommendCount, std::string gatewayUrl,
                                                     base::Clock clock) {
    return std::make_unique<TSearchEngine>(CreateTag{}, CommendCount, std::move(gatewayUrl),
                                           std::move(clock));
}

TSearchEngine::TSearchEngine(CreateTag, int32_t CommendCount, std::string gatewayUrl,
                             base::Clock clock)
    : CommendCount(CommendCount), gatewayUrl_(std::move(gatewayUrl)), clock_(std::move(clock)) {}

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
    return std::jthread([engine = std::move(Engine)]() mutable {
        engine->Execute();
        engine.reset();
    });
}

void TSearchEngine::Execute() noexcept {
    try {
        if (Run() == TEnd::Stopped) {
            return;
        }
    } catch (const std::exception& e) {
        RaiseLast(OnFailed, std::string(e.what()));
        return;
    } catch (...) {
        RaiseLast(OnFailed, std::string("the search failed for an unknown reason"));
        return;
    }
    // The page is complete and is what the user waits for; the report is only for the vendor.
    try {
        SendReport();
    } catch (...) {
    }
    RaiseLast(OnFinished);
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
    WritePage();
    return TEnd::Finished;
}

// Requests page PageNo and, while pages come back full, every later one; then takes the items
// over from the deepest page back to page PageNo, so that the list starts with the last page.
TSearchEngine::TEnd TSearchEngine::FetchPage(const std::string& Keyword, int32_t PageSize,
                                             int32_t PageNo) {
    std::vector<marketplace::TItemRA> pages;
    for (int64_t pageNo = PageNo;; ++pageNo) {
        marketplace::TItems search(kAppKey, kAppSecret, kSessionId, kFormat, gatewayUrl_);
        search.GetItems(static_cast<int32_t>(pageNo), PageSize, "", "", StartPrice, EndPrice,
                        Keyword, "");
        const int32_t total = search.TotalResults;
        const int64_t received = static_cast<int64_t>(search.Items.size());
        if (total == 0 && OnNothingFound) {
            RaiseLast(OnNothingFound);
            return TEnd::Stopped;
        }
        Raise(OnItemCount, total);
        Raise(OnProgress, static_cast<int32_t>(received + (pageNo - 1) * PageSize));
        if (!ForceSearch && total > kMostHitsUnforced && OnTooManyHits) {
            RaiseLast(OnTooManyHits, static_cast<int32_t>(base::RoundHalfEven(total / 200.0)));
            return TEnd::Stopped;
        }
        pages.push_back(std::move(search.Items));
        if (received != PageSize) {
            break;
        }
    }
    for (auto page = pages.rbegin(); page != pages.rend(); ++page) {
        TakeOver(*page);
        page->clear();
    }
    return TEnd::Finished;
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

void TSearchEngine::CalcCreditScores() {
    Raise(OnItemCount, static_cast<int32_t>(AssayList.size()));
    for (size_t i = 0; i < AssayList.size(); ++i) {
        TAssayItemR& item = AssayList[i];
        Raise(OnStatus, "正在查询" + item.nick + "的信用记录...");
        Raise(OnProgress, static_cast<int32_t>(i + 1));
        marketplace::TUser user(kAppKey, kAppSecret, kSessionId, kFormat, gatewayUrl_);
        user.GetUser(item.nick);
        const TCreditScore credit =
            CreditScore(user.Level, user.Score, user.TotalNum, user.GoodNum);
        item.seller_level = credit.seller_level;
        item.seller_score = credit.seller_score;
        item.good_rate = credit.good_rate;
        item.credit_score = credit.credit_score;
        item.total_score = item.credit_score + item.price_score;
    }
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
    const std::unique_ptr<report::SearchAddSoap> service = report::GetSearchAddSoap();
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
