#include "support/ChildProcess.h"
#include "support/RawHttpServer.h"
#include "support/TempDir.h"
#include "support/TestServers.h"

#include "base/Encoding.h"
#include "sandbox/Sandbox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <future>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;

struct TResult {
    int status = -1;
    std::vector<std::string> lines;  // stdout
    std::string errors;              // stderr
};

// Runs qvsearch to its end in dir, as a user would run it there.
TResult RunQvSearch(const support::TempDir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {QVSEARCH_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    const support::Finished run = support::RunToEnd(argv, dir.path(), dir.path() / "qvsearch.err");
    TResult result;
    result.status = run.code;
    std::istringstream out(run.output);
    for (std::string line; std::getline(out, line);) {
        result.lines.push_back(line);
    }
    result.errors = dir.Read("qvsearch.err");
    return result;
}

class QvSearch : public ::testing::Test {
  protected:
    QvSearch() : sandbox_(Options(logs_)) {
        work_.Write("Config.ini", "[UpGrade]\nServer=" + sandbox_.host() + "\n");
    }

    static sandbox::Options Options(const support::TempDir& logs) {
        sandbox::Options options;
        options.reportLog = logs.path() / "reports.jsonl";
        return options;
    }

    TResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--gateway", sandbox_.url("/sip/rest")});
        return RunQvSearch(work_, args);
    }

    // How many sellers offer the items the words find.
    size_t Sellers(const std::vector<std::string>& words) const {
        sandbox::ItemQuery query;
        query.terms = words;
        std::set<size_t> sellers;
        for (const sandbox::Item* item : sandbox_.catalogue().Search(query)) {
            sellers.insert(item->seller);
        }
        return sellers.size();
    }

    std::string Reports() const {
        return std::filesystem::exists(logs_.path() / "reports.jsonl") ? logs_.Read("reports.jsonl")
                                                                       : std::string();
    }

    support::TempDir logs_;
    support::TempDir work_;
    sandbox::Sandbox sandbox_;
};

TEST_F(QvSearch, RunsAWholeSearchAgainstTheSandbox) {
    const TResult result = Run({"--count", "5", "--version", "2.10", "保温杯", "儿童"});
    ASSERT_EQ(result.status, 0) << result.errors;
    ASSERT_GE(result.lines.size(), 10u);
    EXPECT_THAT(std::vector(result.lines.begin(), result.lines.begin() + 3),
                ElementsAre("OnStep 1", "OnItemCount 89", "OnProgress 89"));
    EXPECT_EQ(result.lines.back(), "OnFinished");
    EXPECT_THAT(result.lines, testing::Contains(testing::StartsWith("OnAveragePrice ")));
    EXPECT_THAT(result.lines, testing::Contains(testing::StartsWith("OnStatus 正在查询")));

    const std::string page = base::GbkToUtf8(work_.Read("Commend.html"));
    EXPECT_THAT(page, HasSubstr("<title>推荐结果 - [保温杯+儿童  - 元]</title>"));
    EXPECT_THAT(page, HasSubstr("No. 5</div>"));
    EXPECT_THAT(page, testing::Not(HasSubstr("No. 6</div>")));
    EXPECT_THAT(page, EndsWith("</body></html>\r\n"));

    const std::string reports = Reports();
    EXPECT_THAT(reports, HasSubstr("\"Key\":\"保温杯+儿童\""));
    EXPECT_THAT(reports, HasSubstr("\"GoodsCount\":89"));
    EXPECT_THAT(reports, HasSubstr("\"Version\":\"2.10\""));
    // One page, one credit lookup per seller, one report.
    EXPECT_EQ(sandbox_.requestCount(sandbox::Service::Rest), 1u + Sellers({"保温杯", "儿童"}));
    EXPECT_EQ(sandbox_.requestCount(sandbox::Service::SearchAdd), 1u);
}

TEST_F(QvSearch, EndsWithTheStatusOfItsLastEvent) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string last;
    } cases[] = {
        {{"飞行汽车"}, 3, "OnNothingFound"},
        {{"机械键盘"}, 4, "OnTooManyHits 3"},
        {{"--start-price", "0", "--end-price", "1,000,000", "--min-level", "20", "双肩包"},
         0,
         "OnFinished"},
    };
    for (const auto& c : cases) {
        const TResult result = Run(c.args);
        EXPECT_EQ(result.status, c.status) << c.last;
        ASSERT_FALSE(result.lines.empty());
        EXPECT_EQ(result.lines.back(), c.last);
    }
}

TEST_F(QvSearch, ReportsAFailedRun) {
    // A directory where the page should go: the page cannot be written.
    std::filesystem::create_directories(work_.path() / "Commend.html" / "inside");
    const TResult result = Run({"蓝牙耳机"});
    EXPECT_EQ(result.status, 1);
    ASSERT_FALSE(result.lines.empty());
    EXPECT_THAT(result.lines.back(), testing::StartsWith("OnFailed "));
    EXPECT_THAT(result.lines.back(), HasSubstr("Commend.html"));
    EXPECT_EQ(Reports(), "");
}

TEST_F(QvSearch, RefusesAMissingKeywordOrABadOption) {
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{}, "请输入一个关键字\n"},
        {{" ", "{请输入关键字组合}", " "}, "请输入一个关键字\n"},
        {{"--count", "101", "手机"}, "--count takes a whole number from 1 to 100"},
        {{"--colour", "手机"}, "unknown option --colour"},
    };
    for (const auto& c : cases) {
        const TResult result = Run(c.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.lines.empty());
        EXPECT_THAT(result.errors, HasSubstr(c.error));
    }
    EXPECT_EQ(sandbox_.requestCount(), 0u);
    const TResult help = RunQvSearch(work_, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.lines, testing::Contains(testing::StartsWith("Usage: qvsearch")));
}

TEST_F(QvSearch, GivesTheSameEventsAndReportInEveryModeAndAsksEachSellerOnce) {
    const std::vector<std::string> keyword = {"保温杯"};  // 350 hits: two pages
    const size_t sellers = Sellers(keyword);
    ASSERT_LT(sellers, 350u);

    std::vector<std::string> oneByOneArgs = {"--parallel", "1", "--no-cache"};
    oneByOneArgs.insert(oneByOneArgs.end(), keyword.begin(), keyword.end());
    const TResult oneByOne = Run(oneByOneArgs);
    ASSERT_EQ(oneByOne.status, 0) << oneByOne.errors;
    EXPECT_EQ(sandbox_.requestCount(sandbox::Service::Rest), 2u + 350u);

    const TResult parallel = Run(keyword);
    ASSERT_EQ(parallel.status, 0) << parallel.errors;
    EXPECT_EQ(parallel.lines, oneByOne.lines);
    EXPECT_EQ(sandbox_.requestCount(sandbox::Service::Rest), 2u + 350u + 2u + sellers);

    // The same report twice, but for the time the sandbox took it.
    const std::string reports =
        std::regex_replace(Reports(), std::regex("\"time\":\"[^\"]*\""), "\"time\":T");
    const size_t firstEnd = reports.find('\n');
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_EQ(reports.substr(firstEnd + 1), reports.substr(0, firstEnd + 1));
}

TEST_F(QvSearch, StopsOnCtrlCWithoutAnotherLineAndLeavesThePage) {
    std::vector<support::TCannedItem> items;
    for (int i = 0; i < 20; ++i) {
        items.push_back(
            {"i" + std::to_string(i), "t" + std::to_string(i), "n" + std::to_string(i)});
    }
    std::promise<void> stalling;
    support::RawHttpServer gateway(
        [&items, &stalling](const std::string& request) -> std::optional<std::string> {
            if (request.find("sip_apiname=taobao.user.get") != std::string::npos) {
                stalling.set_value();
                return std::nullopt;  // until the gateway goes: only a stop ends the run
            }
            return support::RawHttpServer::Answer("200 OK", support::ItemsXml(20, items));
        });
    work_.Write("Commend.html", "the previous page");
    support::ChildProcess qvsearch({QVSEARCH_PATH, "--gateway", gateway.url("/sip/rest"), "杯子"},
                                   work_.path());
    stalling.get_future().wait();
    qvsearch.Kill(SIGINT);
    EXPECT_EQ(qvsearch.Wait(), 130);
    EXPECT_FALSE(qvsearch.endedBySignal()) << "SIGINT ended the program, not the search";
    const std::string output = qvsearch.ReadAll();
    EXPECT_THAT(output, EndsWith("OnStep 3\nOnItemCount 20\nOnStatus 正在查询n0的信用记录...\n"
                                 "OnProgress 1\n"));
    EXPECT_EQ(work_.Read("Commend.html"), "the previous page");
    EXPECT_EQ(Reports(), "");
}

}  // namespace
