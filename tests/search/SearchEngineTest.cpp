#include "support/RawHttpServer.h"
#include "support/SoapAnswers.h"
#include "support/TempDir.h"
#include "support/TestServers.h"

#include "base/DateTime.h"
#include "base/Encoding.h"
#include "base/Numbers.h"
#include "search/unit_SearchEngine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <thread>

namespace search {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAreArray;
using namespace support;

const base::TDateTime kNow = base::EncodeDateTime({2009, 3, 8, 12, 0, 0, 0});

// Requests one after another, every item's seller asked again: the order of requests of a run
// that makes them itself.
constexpr RequestSettings kOneByOne{.parallel = 1, .sellerCache = false};

struct TSearch {
    std::string keyword = "a+b";
    std::string startPrice;
    std::string endPrice;
    int32_t minSellerLevel = 0;
    bool force = false;
    int32_t commendCount = 10;
    std::string version = "1.00";
    RequestSettings requests;
    // The run is stopped from the handler of this event, counted from 1.
    std::optional<size_t> stopAfter;
};

// count items for page pageNo, numbered by page and place: iid "p2-7", title "t2-7", nick "n2-7".
std::vector<TCannedItem> PageItems(int pageNo, int count) {
    std::vector<TCannedItem> items;
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(pageNo) + "-" + std::to_string(i);
        items.push_back({"p" + id, "t" + id, "n" + id});
    }
    return items;
}

// A search whose pages hold the given numbers of records, every page reporting total hits.
TestGateway::ItemsAnswer Pages(int total, std::vector<int> sizes) {
    return [total, sizes](int pageNo) {
        const int count = pageNo <= static_cast<int>(sizes.size()) ? sizes[pageNo - 1] : 0;
        return TAnswer{200, ItemsXml(total, PageItems(pageNo, count))};
    };
}

// Item ids in page order, with the number each is shown with.
std::vector<std::string> Shown(const std::string& page) {
    static const std::regex block(
        "item_detail--(\\w+)\\.jhtml\" target=\"_blank\"><img"
        ".*?<div id=\"CommendIndex\">No. (\\d+)</div>");
    std::vector<std::string> shown;
    for (auto m = std::sregex_iterator(page.begin(), page.end(), block);
         m != std::sregex_iterator(); ++m) {
        shown.push_back((*m)[1].str() + "#" + (*m)[2].str());
    }
    return shown;
}

// A catalogue whose answers differ from request to request but are the same for the same
// request: sellers that offer several items, prices all over the place, and answers to the
// credit lookups of every kind (a record, an error answer, a failed request, an empty answer).
std::string SellerOf(int pageNo, int i) {
    return "s" + std::to_string((pageNo * 31 + i * 7) % 23);
}

std::vector<TCannedItem> MixedItems(int pageNo, int count) {
    std::vector<TCannedItem> items;
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(pageNo) + "-" + std::to_string(i);
        items.push_back({"p" + id, "t" + id, SellerOf(pageNo, i),
                         std::to_string(10 + (pageNo * 13 + i * 17) % 90) + ".50"});
    }
    return items;
}

// Pages of the given sizes, each reporting its own total (the last total for pages past them).
TestGateway::ItemsAnswer MixedPages(std::vector<int> totals, std::vector<int> sizes) {
    return [totals, sizes](int pageNo) {
        const auto at = static_cast<size_t>(pageNo - 1);
        const int count = at < sizes.size() ? sizes[at] : 0;
        return TAnswer{
            200, ItemsXml(totals[std::min(at, totals.size() - 1)], MixedItems(pageNo, count))};
    };
}

TAnswer MixedCredit(const std::string& nick) {
    const int k = std::stoi(nick.substr(1));
    if (k % 5 == 0) {
        return {200, ErrorXml(27, "Invalid Nick")};
    }
    if (k % 7 == 3) {
        return {500, "busy"};
    }
    if (k == 11) {
        return {200, ""};
    }
    return {200, UserXml(k % 21, 40 * k, 3 * k, 3 * k - k % 4)};
}

class SearchRun : public ::testing::Test {
  protected:
    void SetUp() override { UseReportServer(report_.server()); }

    void UseReportServer(const std::string& server) {
        dir_.Write("Config.ini", "[UpGrade]\r\nServer=" + server + "\r\n");
    }

    // Runs one search to its end and checks what every run must do: all events on the run's own
    // thread, exactly one last event unless stopped, and the engine gone when the thread ends.
    std::vector<std::string> Run(const TestGateway& gateway, const TSearch& search = {}) {
        return Run(gateway.url(), search);
    }

    std::vector<std::string> Run(const std::string& gatewayUrl, const TSearch& search) {
        std::vector<std::string> events;
        std::set<std::thread::id> threads;
        const auto token = std::make_shared<int>(0);
        std::promise<std::stop_source> stopSource;
        const std::shared_future<std::stop_source> stop = stopSource.get_future().share();
        const auto record = [&events, &threads, stop,
                             stopAfter = search.stopAfter](std::string event) {
            threads.insert(std::this_thread::get_id());
            events.push_back(std::move(event));
            if (stopAfter == events.size()) {
                stop.get().request_stop();
            }
        };
        auto engine = TSearchEngine::Create(
            search.commendCount, gatewayUrl, [] { return kNow; }, search.requests);
        // Only the engine holds the token: it is free again once the engine is gone.
        engine->OnStep = [record, token](int32_t step) {
            record("OnStep " + std::to_string(step));
        };
        engine->OnItemCount = [record](int32_t n) { record("OnItemCount " + std::to_string(n)); };
        engine->OnProgress = [record](int32_t n) { record("OnProgress " + std::to_string(n)); };
        engine->OnStatus = [record](const std::string& text) { record("OnStatus " + text); };
        engine->OnAveragePrice = [record](double average) {
            record("OnAveragePrice " + base::FormatGeneral(average));
        };
        engine->OnTooManyHits = [record](int32_t m) {
            record("OnTooManyHits " + std::to_string(m));
        };
        engine->OnNothingFound = [record] { record("OnNothingFound"); };
        engine->OnFinished = [record] { record("OnFinished"); };
        engine->OnFailed = [record](const std::string& error) { record("OnFailed " + error); };
        engine->Version = search.version;
        std::jthread run =
            TSearchEngine::Start(std::move(engine), search.keyword, search.startPrice,
                                 search.endPrice, search.minSellerLevel, search.force);
        stopSource.set_value(run.get_stop_source());
        run.join();

        EXPECT_EQ(token.use_count(), 1) << "the engine outlived its run";
        EXPECT_LE(threads.size(), 1u);
        EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
        size_t lastEvents = 0;
        for (const std::string& event : events) {
            lastEvents += event == "OnFinished" || event == "OnNothingFound" ||
                          event.starts_with("OnTooManyHits") || event.starts_with("OnFailed");
        }
        EXPECT_EQ(lastEvents, search.stopAfter ? 0u : 1u);
        return events;
    }

    std::string Page() const { return base::GbkToUtf8(dir_.Read("Commend.html")); }
    bool PageExists() const { return std::filesystem::exists(dir_.path() / "Commend.html"); }

    support::TempDir dir_;
    support::ScopedCwd cwd_{dir_.path()};
    TestReportService report_{{200, AddSubResponse()}};
};

TEST_F(SearchRun, RaisesEveryEventInOrder) {
    std::vector<std::string> expected = {"OnStep 1", "OnItemCount 350", "OnProgress 200",
                                         "OnItemCount 350", "OnProgress 350"};
    std::vector<std::string> nicks;  // collection order: the deepest page first
    for (const auto& [pageNo, count] : {std::pair{2, 150}, std::pair{1, 200}}) {
        for (const TCannedItem& item : PageItems(pageNo, count)) {
            expected.push_back("OnProgress " + std::to_string(nicks.size()));
            expected.push_back("OnStatus " + item.title);
            nicks.push_back(item.nick);
        }
    }
    expected.insert(expected.end(), {"OnAveragePrice 10", "OnStep 2",
                                     "OnStatus 正在计算价格得分情况...", "OnItemCount 350"});
    for (int i = 0; i < 350; ++i) {
        expected.push_back("OnProgress " + std::to_string(i));
    }
    expected.insert(expected.end(), {"OnStep 3", "OnItemCount 350"});
    for (size_t i = 0; i < nicks.size(); ++i) {
        expected.push_back("OnStatus 正在查询" + nicks[i] + "的信用记录...");
        expected.push_back("OnProgress " + std::to_string(i + 1));
    }
    expected.insert(expected.end(), {"OnStep 4", "OnStep 5", "OnFinished"});

    for (const RequestSettings requests : {kOneByOne, RequestSettings{}}) {
        SCOPED_TRACE("parallel " + std::to_string(requests.parallel));
        TestGateway gateway(Pages(350, {200, 150}));
        TSearch search;
        search.requests = requests;
        EXPECT_THAT(Run(gateway, search), ElementsAreArray(expected));
        if (requests.parallel == 1) {
            EXPECT_THAT(gateway.pagesRequested(), ElementsAre(1, 2));
            EXPECT_EQ(gateway.nicksRequested(), nicks);
        } else {
            EXPECT_THAT(gateway.pagesRequested(), UnorderedElementsAreArray({1, 2}));
            EXPECT_THAT(gateway.nicksRequested(), UnorderedElementsAreArray(nicks));
        }
    }
    EXPECT_THAT(report_.reports(), ElementsAre(HasSubstr("<GoodsCount>350</GoodsCount>"),
                                               HasSubstr("<GoodsCount>350</GoodsCount>")));
}

TEST_F(SearchRun, StopsEarlyWithoutPageOrReport) {
    const struct {
        const char* name;
        TestGateway::ItemsAnswer items;
        bool force;
        std::vector<std::string> events;
        std::vector<int> pages;
    } cases[] = {
        {"nothing found", Pages(0, {}), true, {"OnStep 1", "OnNothingFound"}, {1}},
        {"too many hits",
         Pages(501, {200, 200, 101}),
         false,
         {"OnStep 1", "OnItemCount 501", "OnProgress 200", "OnTooManyHits 3"},
         {1}},
        {"too many hits, the estimate rounded half to even",
         Pages(1100, {200}),
         false,
         {"OnStep 1", "OnItemCount 1100", "OnProgress 200", "OnTooManyHits 6"},
         {1}},
        {"a later page fails",
         [](int pageNo) {
             return pageNo == 1 ? TAnswer{200, ItemsXml(350, PageItems(1, 200))}
                                : TAnswer{500, "busy"};
         },
         false,
         {"OnStep 1", "OnItemCount 350", "OnProgress 200", "OnNothingFound"},
         {1, 2}},
        {"a full page, then an empty page without hits",
         [](int pageNo) {
             return TAnswer{200, pageNo == 1 ? ItemsXml(200, PageItems(1, 200)) : ItemsXml(0, {})};
         },
         false,
         {"OnStep 1", "OnItemCount 200", "OnProgress 200", "OnNothingFound"},
         {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir_.Write("Commend.html", "the previous page");
        TestGateway gateway(c.items);
        TSearch search;
        search.force = c.force;
        EXPECT_THAT(Run(gateway, search), ElementsAreArray(c.events));
        EXPECT_EQ(gateway.pagesRequested(), c.pages);
        EXPECT_TRUE(gateway.nicksRequested().empty());
        EXPECT_EQ(dir_.Read("Commend.html"), "the previous page");
    }
    EXPECT_TRUE(report_.reports().empty());
}

TEST_F(SearchRun, CollectsEveryPageWhenItMay) {
    const struct {
        const char* name;
        TestGateway::ItemsAnswer items;
        bool force;
        std::vector<int> pages;
        int collected;
    } cases[] = {
        {"too many hits, forced", Pages(501, {200, 200, 101}), true, {1, 2, 3}, 501},
        {"500 hits", Pages(500, {200, 200, 100}), false, {1, 2, 3}, 500},
        {"a full page, then an empty page", Pages(200, {200}), false, {1, 2}, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestGateway gateway(c.items);
        TSearch search;
        search.force = c.force;
        const std::vector<std::string> events = Run(gateway, search);
        EXPECT_THAT(gateway.pagesRequested(), UnorderedElementsAreArray(c.pages));
        EXPECT_EQ(gateway.nicksRequested().size(), static_cast<size_t>(c.collected));
        const auto step2 = std::find(events.begin(), events.end(), "OnStep 2");
        ASSERT_GT(events.end() - step2, 2);
        EXPECT_EQ(step2[2], "OnItemCount " + std::to_string(c.collected));
        EXPECT_EQ(events.back(), "OnFinished");
    }
}

TEST_F(SearchRun, SkipsRecordsWithoutItemId) {
    TestGateway gateway([](int) {
        return TAnswer{200, ItemsXml(3, {{"a", "ta", "na", "10"},
                                         {"", "no id", "nx", "1000"},
                                         {"c", "tc", "nc", "20"}})};
    });
    const std::vector<std::string> events = Run(gateway);
    EXPECT_THAT(
        std::vector(events.begin(), events.begin() + 12),
        ElementsAre("OnStep 1", "OnItemCount 3", "OnProgress 3", "OnProgress 0", "OnStatus ta",
                    "OnProgress 2", "OnStatus tc", "OnAveragePrice 15", "OnStep 2",
                    "OnStatus 正在计算价格得分情况...", "OnItemCount 2", "OnProgress 0"));
    EXPECT_THAT(gateway.nicksRequested(), testing::UnorderedElementsAre("na", "nc"));
}

TEST_F(SearchRun, FailsOnAPriceThatIsNoNumber) {
    for (const std::string price : {"abc", ""}) {
        SCOPED_TRACE("price '" + price + "'");
        dir_.Write("Commend.html", "the previous page");
        TestGateway gateway([price](int) {
            return TAnswer{200, ItemsXml(2, {{"a", "ta", "na", "12.5"}, {"b", "tb", "nb", price}})};
        });
        const std::vector<std::string> events = Run(gateway);
        ASSERT_EQ(events.size(), 8u);
        EXPECT_THAT(std::vector(events.begin(), events.end() - 1),
                    ElementsAre("OnStep 1", "OnItemCount 2", "OnProgress 2", "OnProgress 0",
                                "OnStatus ta", "OnProgress 1", "OnStatus tb"));
        EXPECT_THAT(events.back(), HasSubstr("OnFailed "));
        EXPECT_THAT(events.back(), HasSubstr("'" + price + "'"));
        EXPECT_EQ(dir_.Read("Commend.html"), "the previous page");
    }
    EXPECT_TRUE(report_.reports().empty());
}

TEST_F(SearchRun, GoesOnOverAPostFeeThatIsNoNumber) {
    // Nothing reads the post fee; the price keeps ending the run (FailsOnAPriceThatIsNoNumber).
    TestGateway gateway([](int) {
        std::vector<TCannedItem> items = {
            {"a", "ta", "na", "10"}, {"b", "tb", "nb", "20"}, {"c", "tc", "nc", "30"}};
        items[0].post_fee = "";
        items[1].post_fee = "free";
        std::string xml = ItemsXml(3, items);
        // The third record has no post_fee element at all.
        const std::string lastFee = "<post_fee>5.00</post_fee></item></rsp>";
        xml.replace(xml.size() - lastFee.size(), lastFee.size(), "</item></rsp>");
        return TAnswer{200, xml};
    });
    const std::vector<std::string> events = Run(gateway);
    EXPECT_EQ(events.back(), "OnFinished");
    EXPECT_THAT(events, testing::Contains("OnAveragePrice 20"));
    EXPECT_EQ(Shown(Page()).size(), 3u);
    EXPECT_THAT(report_.reports(), ElementsAre(HasSubstr("<GoodsCount>3</GoodsCount>")));
}

TEST_F(SearchRun, FailsOnACreditAnswerThatIsNoXml) {
    dir_.Write("Commend.html", "the previous page");
    TestGateway gateway(
        [](int) {
            return TAnswer{200, ItemsXml(1, {{"a", "ta", "na"}})};
        },
        [](const std::string&) {
            return TAnswer{200, "<html>busy"};
        });
    const std::vector<std::string> events = Run(gateway);
    const auto step3 = std::find(events.begin(), events.end(), "OnStep 3");
    ASSERT_NE(step3, events.end());
    EXPECT_THAT(std::vector(step3, events.end() - 1),
                ElementsAre("OnStep 3", "OnItemCount 1", "OnStatus 正在查询na的信用记录...",
                            "OnProgress 1"));
    EXPECT_THAT(events.back(), HasSubstr("OnFailed "));
    EXPECT_EQ(dir_.Read("Commend.html"), "the previous page");
    EXPECT_TRUE(report_.reports().empty());
}

TEST_F(SearchRun, RanksBySellerCreditAndWritesThePage) {
    TestGateway gateway(
        [](int) {
            return TAnswer{200, ItemsXml(4, {{"a", "ta", "na"},
                                             {"b", "tb", "nb"},
                                             {"c", "tc", "nc"},
                                             {"d", "td", "unknown"}})};
        },
        [](const std::string& nick) {
            if (nick == "na") {
                return TAnswer{200, UserXml(20, 12000000, 100, 100)};  // 50
            }
            if (nick == "nb") {
                return TAnswer{200, UserXml(5, 200, 0, 0)};  // 11.24
            }
            if (nick == "nc") {
                return TAnswer{200, UserXml(10, 7500, 10, 10)};  // 23.75
            }
            return TAnswer{200, ErrorXml(27, "Invalid Nick")};  // no record: -2.5
        });
    TSearch search;
    search.minSellerLevel = 5;
    Run(gateway, search);
    const std::string page = Page();
    EXPECT_THAT(Shown(page), ElementsAre("a#1", "c#2", "b#3"));
    EXPECT_THAT(page, HasSubstr("<label id=\"CommendScoreValue\">100.00</label>"));
    EXPECT_THAT(page, HasSubstr("<label id=\"CommendScoreValue\">73.75</label>"));
    EXPECT_THAT(page, HasSubstr("<Label id=\"DelistTime\">2 天</Label>"));
    EXPECT_THAT(page, HasSubstr("<img src=\"img/20.jpg\" />"));

    search.minSellerLevel = 0;
    search.commendCount = 2;
    Run(gateway, search);
    EXPECT_THAT(Shown(Page()), ElementsAre("a#1", "c#2"));
}

TEST_F(SearchRun, ReportsTheCompleteSearch) {
    TestGateway gateway([](int) {
        return TAnswer{200, ItemsXml(3, {{"a", "ta", "na", "10"},
                                         {"b", "tb", "nb", "20"},
                                         {"c", "tc", "nc", "57.43"}})};
    });
    TSearch search;
    search.keyword = "手机+壳";
    search.startPrice = "10";
    search.endPrice = "1200";
    search.version = "unknow!";
    Run(gateway, search);
    const auto request = gateway.itemRequests().at(0);
    EXPECT_EQ(request.at("q"), "手机+壳");
    EXPECT_EQ(request.at("start_price"), "10");
    EXPECT_EQ(request.at("end_price"), "1200");
    ASSERT_EQ(report_.reports().size(), 1u);
    const std::string report = report_.reports()[0];
    EXPECT_THAT(report, HasSubstr("<Key>手机+壳</Key>"));
    EXPECT_THAT(report, HasSubstr("<JS_ZDJ>10</JS_ZDJ>"));
    EXPECT_THAT(report, HasSubstr("<JS_ZGJ>1200</JS_ZGJ>"));
    EXPECT_THAT(report, HasSubstr("<GoodsCount>3</GoodsCount>"));
    EXPECT_THAT(report, HasSubstr("<PJJ>29.1433334350586</PJJ>"));
    EXPECT_THAT(report, HasSubstr("<Version>unknow!</Version>"));
}

TEST_F(SearchRun, FinishesWhenTheReportFails) {
    TestGateway gateway([](int) { return TAnswer{200, ItemsXml(1, {{"a", "ta", "na"}})}; });
    TestReportService notFound({404, "no such service"});
    TestReportService fault({500, FaultEnvelope("soap:Server", "down")});
    std::string closed;
    {
        TestReportService gone({200, AddSubResponse()});
        closed = gone.server();
    }
    for (const std::string& server : {notFound.server(), fault.server(), closed}) {
        SCOPED_TRACE(server);
        std::filesystem::remove(dir_.path() / "Commend.html");
        UseReportServer(server);
        const std::vector<std::string> events = Run(gateway);
        EXPECT_THAT(std::vector(events.end() - 2, events.end()),
                    ElementsAre("OnStep 5", "OnFinished"));
        EXPECT_THAT(Page(), HasSubstr("item_detail--a.jhtml"));
    }
    EXPECT_EQ(notFound.reports().size(), 1u);  // tried once, never again
    EXPECT_EQ(fault.reports().size(), 1u);
}

TEST_F(SearchRun, RunsWithRequestsInParallelAsWithOneRequestAtATime) {
    const auto withPage = [](TestGateway::ItemsAnswer pages, int pageNo, TAnswer answer) {
        return
            [pages, pageNo, answer](int asked) { return asked == pageNo ? answer : pages(asked); };
    };
    const auto withNick = [](std::string nick, TAnswer answer) {
        return [nick, answer](const std::string& asked) {
            return asked == nick ? answer : MixedCredit(asked);
        };
    };
    std::vector<TCannedItem> unreadable = MixedItems(2, 200);
    unreadable[5].price = "abc";
    const struct {
        const char* name;
        TestGateway::ItemsAnswer items;
        TestGateway::UserAnswer user;
        bool force;
    } cases[] = {
        {"sellers with several items, failed lookups, a short last page",
         MixedPages({450}, {200, 200, 50}), MixedCredit, false},
        {"nothing found on page 1", MixedPages({0}, {}), MixedCredit, true},
        {"too many hits on page 1", MixedPages({800}, {200, 200, 200, 200}), MixedCredit, false},
        {"too many hits on page 2", MixedPages({400, 900}, {200, 200, 200, 200, 100}), MixedCredit,
         false},
        {"a page that fails while later pages are asked for",
         withPage(MixedPages({1400}, {200, 200, 200, 200, 200, 200, 200}), 3, {500, "busy"}),
         MixedCredit, true},
        {"a short page before the last page the total promises",
         MixedPages({1000}, {200, 120, 200, 200, 200}), MixedCredit, true},
        {"full pages past the total", MixedPages({300}, {200, 200, 200, 10}), MixedCredit, false},
        {"a price that is no number on page 2",
         withPage(MixedPages({450}, {200, 200, 50}), 2, {200, ItemsXml(450, unreadable)}),
         MixedCredit, false},
        {"a credit answer that is no XML", MixedPages({450}, {200, 200, 50}),
         withNick("s9", {200, "<html>busy"}), false},
    };
    const RequestSettings parallelRuns[] = {
        {}, {.parallel = 8, .sellerCache = false}, {.parallel = 3, .sellerCache = true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSearch search;
        search.force = c.force;
        const auto runWith = [&](const RequestSettings& requests) {
            struct {
                std::vector<std::string> events;
                std::string page;
                std::vector<std::string> reports;
                std::vector<TGatewayRequest> requests;
            } result;
            dir_.Write("Commend.html", "the previous page");
            const size_t reportsBefore = report_.reports().size();
            TestGateway gateway(c.items, c.user);
            search.requests = requests;
            result.events = Run(gateway, search);
            result.page = dir_.Read("Commend.html");
            const std::vector<std::string> reports = report_.reports();
            result.reports.assign(reports.begin() + static_cast<ptrdiff_t>(reportsBefore),
                                  reports.end());
            result.requests = gateway.requests();
            return result;
        };
        // What identifies a request: the page asked for or the seller.
        const auto byWhat = [](const std::vector<TGatewayRequest>& requests) {
            std::multimap<std::string, std::string> bodies;
            for (const TGatewayRequest& request : requests) {
                const auto page = request.params.find("page_no");
                bodies.emplace(page != request.params.end() ? "page " + page->second
                                                            : "nick " + request.params.at("nick"),
                               request.body);
            }
            return bodies;
        };

        const auto oneByOne = runWith(kOneByOne);
        const auto asked = byWhat(oneByOne.requests);
        for (const RequestSettings& requests : parallelRuns) {
            SCOPED_TRACE("parallel " + std::to_string(requests.parallel) +
                         (requests.sellerCache ? ", seller cache" : ""));
            const auto parallel = runWith(requests);
            EXPECT_EQ(parallel.events, oneByOne.events);
            EXPECT_EQ(parallel.page, oneByOne.page);
            EXPECT_EQ(parallel.reports, oneByOne.reports);
            std::map<std::string, int> timesAsked;
            for (const auto& [what, body] : byWhat(parallel.requests)) {
                ++timesAsked[what];
                // The same request, to the byte: signed with its own time stamp.
                if (const auto same = asked.find(what); same != asked.end()) {
                    EXPECT_EQ(body, same->second) << what;
                }
            }
            for (const auto& [what, times] : timesAsked) {
                EXPECT_FALSE(requests.sellerCache && times > 1) << what << " was asked twice";
                // Pages past a short one may be asked for, and lookups past an item that ends
                // the run.
                EXPECT_TRUE(asked.contains(what) || what.starts_with("page") ||
                            oneByOne.events.back() != "OnFinished")
                    << what << " was not asked one at a time";
            }
            if (oneByOne.events.back() == "OnFinished") {
                for (const auto& [what, body] : asked) {
                    EXPECT_TRUE(timesAsked.contains(what)) << what << " was not asked";
                }
            }
        }
    }
}

TEST_F(SearchRun, RaisesNothingAfterAStopAndLeavesThePage) {
    TestGateway gateway(MixedPages({1000}, {200, 200, 200, 200, 200}), MixedCredit);
    TSearch search;
    search.force = true;
    const std::vector<std::string> all = Run(gateway, search);
    ASSERT_EQ(all.back(), "OnFinished");
    const auto indexOf = [&all](const std::string& event, size_t after = 0) {
        return static_cast<size_t>(
            std::find(all.begin() + static_cast<ptrdiff_t>(after), all.end(), event) - all.begin());
    };
    const size_t step3 = indexOf("OnStep 3");
    const struct {
        const char* name;
        size_t stopAfter;
    } cases[] = {
        {"while later pages are asked for", indexOf("OnProgress 400") + 1},
        {"while items are taken over", indexOf("OnStatus t3-17") + 1},
        {"while prices are scored", indexOf("OnProgress 700", indexOf("OnStep 2")) + 1},
        {"while sellers are looked up", indexOf("OnProgress 9", step3) + 1},
        {"before the page is written", indexOf("OnStep 5") + 1},
    };
    const size_t reportsBefore = report_.reports().size();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LT(c.stopAfter, all.size());
        dir_.Write("Commend.html", "the previous page");
        search.stopAfter = c.stopAfter;
        EXPECT_EQ(Run(gateway, search),
                  std::vector(all.begin(), all.begin() + static_cast<ptrdiff_t>(c.stopAfter)));
        EXPECT_EQ(dir_.Read("Commend.html"), "the previous page");
    }
    EXPECT_EQ(report_.reports().size(), reportsBefore);
}

TEST_F(SearchRun, AStopEndsARunThatWaitsForAStalledRequest) {
    // Far longer than abandoning a request takes, and far shorter than the request's own
    // time-outs: only a run that waits the stalled request out reaches it.
    constexpr auto kHung = std::chrono::seconds(10);
    for (const std::string stalled : {"page 1", "page 2", "a credit lookup", "the report"}) {
        SCOPED_TRACE(stalled);
        std::promise<void> stalling;
        RawHttpServer server([&stalled,
                              &stalling](const std::string& request) -> std::optional<std::string> {
            std::string what = "the report";
            if (request.find("sip_apiname=taobao.user.get") != std::string::npos) {
                what = "a credit lookup";
            } else if (const size_t page = request.find("page_no="); page != std::string::npos) {
                what = "page " + request.substr(page + 8, 1);
            }
            if (what == stalled) {
                stalling.set_value();
                return std::nullopt;
            }
            if (what == "the report") {
                return RawHttpServer::Answer("200 OK", AddSubResponse(),
                                             "Content-Type: text/xml; charset=utf-8\r\n");
            }
            if (what == "a credit lookup") {
                return RawHttpServer::Answer("200 OK", UserXml(5, 200, 10, 10));
            }
            const int pageNo = what.back() - '0';
            return RawHttpServer::Answer("200 OK",
                                         ItemsXml(400, PageItems(pageNo, pageNo <= 2 ? 200 : 0)));
        });
        UseReportServer("127.0.0.1:" + std::to_string(server.port()));
        dir_.Write("Commend.html", "the previous page");

        std::mutex mutex;
        std::vector<std::string> events;
        auto engine = TSearchEngine::Create(10, server.url("/sip/rest"), [] { return kNow; });
        const auto record = [&mutex, &events](const std::string& event) {
            const std::lock_guard lock(mutex);
            events.push_back(event);
        };
        engine->OnStep = [record](int32_t step) { record("OnStep " + std::to_string(step)); };
        engine->OnProgress = [record](int32_t n) { record("OnProgress " + std::to_string(n)); };
        engine->OnFinished = [record] { record("OnFinished"); };
        engine->OnNothingFound = [record] { record("OnNothingFound"); };
        engine->OnFailed = [record](const std::string& error) { record("OnFailed " + error); };
        std::jthread run = TSearchEngine::Start(std::move(engine), "a", "", "", 0, false);
        stalling.get_future().wait();
        size_t eventsAtStop = 0;
        {
            const std::lock_guard lock(mutex);
            eventsAtStop = events.size();
            run.request_stop();
        }
        auto ended = std::async(std::launch::async, [&run] { run.join(); });
        ASSERT_EQ(ended.wait_for(kHung), std::future_status::ready)
            << "the run waited for the stalled request";
        EXPECT_EQ(events.size(), eventsAtStop) << events.back();
        // The report comes after the page.
        EXPECT_EQ(dir_.Read("Commend.html") == "the previous page", stalled != "the report");
    }
}

}  // namespace
}  // namespace search
