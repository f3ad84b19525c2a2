#include "support/GatewayClient.h"

#include "base/Encoding.h"
#include "sandbox/Sandbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>

namespace {

using namespace std::chrono_literals;
using sandbox::Service;
using sandbox::Switches;

const std::string kAddSub =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><SOAP-ENV:Envelope "
    "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Body><AddSub "
    "xmlns=\"SearchAddIn\"><Key>手机</Key></AddSub></SOAP-ENV:Body></SOAP-ENV:Envelope>";

struct Reply {
    int status = 0;
    std::string body;
    std::string location;
};

bool IsXml(const std::string& body) {
    try {
        base::XmlDocument::Parse(body);
        return true;
    } catch (const base::XmlParseError&) {
        return false;
    }
}

class SwitchesTest : public ::testing::Test {
  protected:
    std::optional<Reply> Request(Service service, std::chrono::milliseconds timeout = 10s) {
        httplib::Client client("127.0.0.1", box->port());
        client.set_read_timeout(timeout);
        httplib::Result result{nullptr, httplib::Error::Unknown};
        switch (service) {
            case Service::Rest:
                result = client.Post("/sip/rest", support::SignedBody(support::ItemsCall("保温杯")),
                                     "application/x-www-form-urlencoded");
                break;
            case Service::SearchAdd:
                result = client.Post("/searchadd.asmx", {{"SOAPAction", "\"SearchAddIn/AddSub\""}},
                                     kAddSub, "text/xml; charset=\"utf-8\"");
                break;
            case Service::Query:
                result = client.Post("/Query.asmx",
                                     {{"SOAPAction", "QuillonUpGrade/GetUpGradeFileList"}}, "<x/>",
                                     "text/xml");
                break;
            case Service::Files:
                result = client.Get("/files/Notes.txt");
                break;
            case Service::Pictures:
                result = client.Get("/pic/0.svg");
                break;
        }
        if (!result) {
            return std::nullopt;
        }
        return Reply{result->status, result->body, result->get_header_value("Location")};
    }

    std::optional<sandbox::Sandbox> box = [] {
        sandbox::Options options;
        options.filesDir = SANDBOX_FILES_DIR;
        return std::optional<sandbox::Sandbox>(std::in_place, options);
    }();
};

TEST_F(SwitchesTest, EachSwitchChangesTheAnswerOfItsServiceOnly) {
    struct Case {
        const char* what;
        Service service;
        Switches switches;
        std::function<void(const Reply&)> check;
    };
    const std::vector<Case> cases = {
        {"REST status 404",
         Service::Rest,
         {.status = 404},
         [](const Reply& r) { EXPECT_EQ(r.status, 404); }},
        {"REST status 302",
         Service::Rest,
         {.status = 302},
         [](const Reply& r) {
             EXPECT_EQ(r.status, 302);
             EXPECT_FALSE(r.location.empty());
         }},
        {"REST garbage",
         Service::Rest,
         {.garbage = true},
         [](const Reply& r) {
             EXPECT_EQ(r.status, 200);
             EXPECT_FALSE(IsXml(r.body)) << r.body;
         }},
        {"REST not UTF-8",
         Service::Rest,
         {.notUtf8 = true},
         [](const Reply& r) {
             EXPECT_EQ(r.status, 200);
             EXPECT_FALSE(base::IsValidUtf8(r.body));
             const std::string decoded = base::GbkToUtf8(r.body);
             EXPECT_NE(decoded.find("<totalResults>350</totalResults>"), std::string::npos);
         }},
        {"REST fault",
         Service::Rest,
         {.fault = true},
         [](const Reply& r) {
             EXPECT_EQ(r.status, 200);
             EXPECT_EQ((support::Reply{r.status, r.body}.Code()), 7) << r.body;
         }},
        {"report fault",
         Service::SearchAdd,
         {.fault = true},
         [](const Reply& r) {
             EXPECT_EQ(r.status, 500);
             EXPECT_NE(r.body.find("<faultcode>soap:Server</faultcode>"), std::string::npos);
         }},
        {"report fault with status 200",
         Service::SearchAdd,
         {.status = 200, .fault = true},
         [](const Reply& r) {
             EXPECT_EQ(r.status, 200);
             EXPECT_NE(r.body.find("soap:Fault"), std::string::npos);
         }},
        {"report not UTF-8",
         Service::SearchAdd,
         {.notUtf8 = true},
         [](const Reply& r) {
             EXPECT_EQ(r.status, 200);
             EXPECT_FALSE(base::IsValidUtf8(r.body));
         }},
        {"list garbage",
         Service::Query,
         {.garbage = true},
         [](const Reply& r) {
             EXPECT_EQ(r.status, 200);
             EXPECT_FALSE(IsXml(r.body));
         }},
        {"files status 500",
         Service::Files,
         {.status = 500},
         [](const Reply& r) { EXPECT_EQ(r.status, 500); }},
        {"pictures garbage",
         Service::Pictures,
         {.garbage = true},
         [](const Reply& r) { EXPECT_FALSE(IsXml(r.body)); }},
    };
    const std::vector<Service> services = {Service::Rest, Service::SearchAdd, Service::Query,
                                           Service::Files, Service::Pictures};
    std::vector<Reply> normal;
    for (const Service service : services) {
        normal.push_back(*Request(service));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        box->SetSwitches(c.service, c.switches);
        const auto reply = Request(c.service);
        ASSERT_TRUE(reply);
        c.check(*reply);
        for (size_t i = 0; i < services.size(); ++i) {
            if (services[i] != c.service) {
                EXPECT_EQ(Request(services[i])->status, normal[i].status)
                    << sandbox::ServiceName(services[i]);
            }
        }
        box->SetSwitches(c.service, {});
    }
}

TEST_F(SwitchesTest, LatencyDelaysTheAnswer) {
    box->SetSwitches(Service::Rest, {.latency = 300ms});
    const auto start = std::chrono::steady_clock::now();
    const auto reply = Request(Service::Rest);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

TEST_F(SwitchesTest, NoAnswerComesYetTheSandboxStopsPromptly) {
    const std::vector<std::pair<const char*, Switches>> cases = {
        {"hang", {.hang = true}},
        {"an hour of latency", {.latency = std::chrono::hours(1)}},
    };
    for (const auto& [what, switches] : cases) {
        SCOPED_TRACE(what);
        box.emplace(sandbox::Options{});
        box->SetSwitches(switches);
        EXPECT_FALSE(Request(Service::Rest, 300ms)) << "an answer came";
        EXPECT_FALSE(Request(Service::SearchAdd, 300ms)) << "an answer came";
        const auto start = std::chrono::steady_clock::now();
        box.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    }
}

TEST_F(SwitchesTest, CountsTheRequestsOfEachService) {
    for (int i = 0; i < 3; ++i) {
        Request(Service::Rest);
    }
    Request(Service::Pictures);
    httplib::Client client("127.0.0.1", box->port());
    const auto stats = client.Get("/sandbox/stats");
    ASSERT_TRUE(stats);

    EXPECT_EQ(box->requestCount(), 4u);
    EXPECT_EQ(box->requestCount(Service::Rest), 3u);
    EXPECT_EQ(box->requestCount(Service::Pictures), 1u);
    EXPECT_EQ(box->requestCount(Service::SearchAdd), 0u);
    EXPECT_EQ(stats->body, "requests 4\nrest 3\nsearchadd 0\nquery 0\nfiles 0\npic 1\n");
}

}  // namespace
