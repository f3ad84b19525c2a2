#include "report/searchadd.h"

#include "base/Errors.h"
#include "sandbox/Sandbox.h"

#include "support/GatewayRequests.h"
#include "support/RawHttpServer.h"
#include "support/ScopedEnv.h"
#include "support/SoapAnswers.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

namespace {

using support::RawHttpServer;
using support::ScopedCwd;
using support::ScopedEnv;
using support::TempDir;

const std::string Accepted = RawHttpServer::Answer("200 OK", support::AddSubResponse());

std::string AddSubRequest(const std::string& target, const std::string& host,
                          const std::string& parameters) {
    return support::RequestBytes(
        target, host, "SearchAddIn/AddSub", "text/xml; charset=\"utf-8\"",
        support::RequestEnvelope("<AddSub xmlns=\"SearchAddIn\">" + parameters + "</AddSub>"));
}

class SearchAddReport : public testing::Test {
  protected:
    TempDir dir_;
    ScopedCwd cwd_{dir_.path()};
    ScopedEnv noProxy_{"http_proxy", nullptr};
    ScopedEnv noAllProxy_{"ALL_PROXY", nullptr};
    ScopedEnv noAllProxyLower_{"all_proxy", nullptr};
};

TEST_F(SearchAddReport, SendsEachRunAsTheServiceExpects) {
    RawHttpServer server([](const std::string&) { return Accepted; });
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    dir_.Write("Config.ini", "[Version]\nQorvane=1.2.3\n[UpGrade]\n  Server =  " + host + "  \n");

    const struct {
        const char* what;
        std::string key;
        std::string startPrice;
        std::string endPrice;
        int64_t count;
        float average;
        std::string version;
        std::string parameters;
    } runs[] = {
        {"no price bounds", "a+b", "", "", 200, 12.5f, "1.2.3",
         "<Key>a+b</Key><JS_ZDJ>0</JS_ZDJ><JS_ZGJ>0</JS_ZGJ><GoodsCount>200</GoodsCount>"
         "<PJJ>12.5</PJJ><Version>1.2.3</Version>"},
        {"start price 1200", "phone", "1200", "", 3, 1300.0f, "1.2.3",
         "<Key>phone</Key><JS_ZDJ>1200</JS_ZDJ><JS_ZGJ>0</JS_ZGJ><GoodsCount>3</GoodsCount>"
         "<PJJ>1300</PJJ><Version>1.2.3</Version>"},
        {"average 57.43", "x", "10", "100.5", 7, 57.43f, "1.2.3",
         "<Key>x</Key><JS_ZDJ>10</JS_ZDJ><JS_ZGJ>100.5</JS_ZGJ><GoodsCount>7</GoodsCount>"
         "<PJJ>57.4300003051758</PJJ><Version>1.2.3</Version>"},
        {"nothing collected", "连衣裙+<红>&蓝", "", "", 0, 0.0f, "unknow!",
         "<Key>连衣裙+&lt;红&gt;&amp;蓝</Key><JS_ZDJ>0</JS_ZDJ><JS_ZGJ>0</JS_ZGJ>"
         "<GoodsCount>0</GoodsCount><PJJ>0</PJJ><Version>unknow!</Version>"},
        {"empty version", "k", "", "", 1, 1.0f, "",
         "<Key>k</Key><JS_ZDJ>0</JS_ZDJ><JS_ZGJ>0</JS_ZGJ><GoodsCount>1</GoodsCount>"
         "<PJJ>1</PJJ><Version></Version>"},
    };
    for (const auto& run : runs) {
        report::GetSearchAddSoap()->AddSub(run.key, report::ReportPrice(run.startPrice),
                                           report::ReportPrice(run.endPrice), run.count,
                                           run.average, run.version);
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), std::size(runs));
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i], AddSubRequest("/searchadd.asmx", host, runs[i].parameters))
            << runs[i].what;
    }
}

TEST_F(SearchAddReport, ReadsTheServerSettingAgainForEveryBinding) {
    RawHttpServer first([](const std::string&) { return Accepted; });
    RawHttpServer second([](const std::string&) { return Accepted; });
    dir_.Write("Config.ini", "[UpGrade]\nServer=127.0.0.1:" + std::to_string(first.port()));
    report::GetSearchAddSoap()->AddSub("a", 0, 0, 0, 0, "v");
    dir_.Write("Config.ini", "[upgrade]\nSERVER='127.0.0.1:" + std::to_string(second.port()) + "'");
    report::GetSearchAddSoap()->AddSub("b", 0, 0, 0, 0, "v");
    EXPECT_EQ(first.requests().size(), 1u);
    EXPECT_EQ(second.requests().size(), 1u);
}

TEST_F(SearchAddReport, GoesToTheBuiltInHostWithoutASetting) {
    // The built-in host is not resolvable; a proxy from the environment shows where the report
    // was headed without any name lookup.
    RawHttpServer proxy([](const std::string&) { return Accepted; });
    const ScopedEnv viaProxy("http_proxy", ("127.0.0.1:" + std::to_string(proxy.port())).c_str());
    const std::string settings[] = {"", "[Version]\nQorvane=1\n", "[UpGrade]\nPort=80\n"};
    for (const std::string& text : settings) {
        std::filesystem::remove(dir_.path() / "Config.ini");
        if (!text.empty()) {
            dir_.Write("Config.ini", text);
        }
        report::GetSearchAddSoap()->AddSub("k", 0, 0, 0, 0, "v");
    }
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), std::size(settings));
    for (const std::string& request : requests) {
        EXPECT_TRUE(
            request.starts_with("POST http://stats.vexmoor.example/searchadd.asmx HTTP/1.1\r\n"
                                "Host: stats.vexmoor.example\r\n"))
            << request;
    }
}

TEST_F(SearchAddReport, FailsOnAnEmptyServerOrAFault) {
    dir_.Write("Config.ini", "[UpGrade]\nServer=\n");
    EXPECT_THROW(report::GetSearchAddSoap()->AddSub("k", 0, 0, 0, 0, "v"), std::runtime_error);

    RawHttpServer server([](const std::string&) {
        return RawHttpServer::Answer("500 Internal Server Error",
                                     support::FaultEnvelope("soap:Server", "quota exceeded"));
    });
    dir_.Write("Config.ini", "[UpGrade]\nServer=127.0.0.1:" + std::to_string(server.port()));
    try {
        report::GetSearchAddSoap()->AddSub("k", 0, 0, 0, 0, "v");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "quota exceeded");
    }
}

TEST(ReportPrice, ReadsThePriceTextOrFails) {
    EXPECT_EQ(report::ReportPrice(""), 0.0f);
    EXPECT_EQ(report::ReportPrice("1200"), 1200.0f);
    EXPECT_EQ(report::ReportPrice("57.43"), 57.43f);
    EXPECT_EQ(report::ReportPrice(" 0.5 "), 0.5f);
    for (const char* bad : {"abc", "12a", "1,200", " ", "1e39", "-1e39"}) {
        EXPECT_THROW(report::ReportPrice(bad), base::ConvertError) << bad;
    }
}

TEST(SandboxReport, AReportThroughTheSettingsFileLandsInTheServiceLog) {
    support::TempDir work;
    sandbox::Options options;
    options.reportLog = work.path() / "reports.jsonl";
    options.clock = support::FixedClock();
    sandbox::Sandbox box(options);
    work.Write("Config.ini", "[UpGrade]\nServer=" + box.host() + "\n");
    support::ScopedCwd cwd(work.path());

    report::GetSearchAddSoap()->AddSub("保温杯+儿童", 0, report::ReportPrice("1200"), 89, 57.43f,
                                       "1.2.3");

    EXPECT_EQ(work.Read("reports.jsonl"),
              "{\"time\":\"2009-03-03 08:05:09\",\"Key\":\"保温杯+儿童\",\"JS_ZDJ\":0,"
              "\"JS_ZGJ\":1200,\"GoodsCount\":89,\"PJJ\":57.4300003051758,"
              "\"Version\":\"1.2.3\"}\n");
}

}  // namespace
