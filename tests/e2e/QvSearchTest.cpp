#include "support/TempDir.h"

#include "base/Encoding.h"
#include "sandbox/Sandbox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
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

std::string Quoted(const std::string& arg) {
    std::string quoted = "'";
    for (const char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs qvsearch in dir, as a user would from a shell there.
TResult RunQvSearch(const support::TempDir& dir, const std::vector<std::string>& args) {
    std::string command = "cd " + Quoted(dir.path().string()) + " && " + Quoted(QVSEARCH_PATH);
    for (const std::string& arg : args) {
        command += " " + Quoted(arg);
    }
    command += " >qvsearch.out 2>qvsearch.err";
    const int raw = std::system(command.c_str());
    TResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream out(dir.Read("qvsearch.out"));
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
    // One page, one credit lookup per item, one report.
    EXPECT_EQ(sandbox_.requestCount(sandbox::Service::Rest), 1u + 89u);
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

}  // namespace
