#include "base/Encoding.h"
#include "base/Xml.h"
#include "sandbox/Sandbox.h"
#include "support/GatewayRequests.h"
#include "support/ReadFile.h"
#include "support/SoapAnswers.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <optional>

namespace {

using support::RequestEnvelope;

std::string AddSubCall(const std::string& key, const std::string& goodsCount = "350") {
    return "<AddSub xmlns=\"SearchAddIn\"><Key>" + key +
           "</Key><JS_ZDJ>1200</JS_ZDJ><JS_ZGJ>0</JS_ZGJ><GoodsCount>" + goodsCount +
           "</GoodsCount><PJJ>57.4300003051758</PJJ><Version>unknow!</Version></AddSub>";
}

const std::string kListCall = "<GetUpGradeFileList xmlns=\"QuillonUpGrade\"/>";

struct SoapReply {
    int status = 0;
    std::string contentType;
    std::string body;

    // Text of the first element of that local name anywhere in the answer, if any.
    std::optional<std::string> Find(const std::string& name) const {
        const auto xml = base::XmlDocument::Parse(body);
        std::optional<std::string> found;
        const std::function<void(const xmlNode*)> walk = [&](const xmlNode* node) {
            for (; node != nullptr && !found; node = node->next) {
                if (node->type == XML_ELEMENT_NODE && base::NodeName(node) == name) {
                    found = base::ElementValue(node).value_or("");
                }
                walk(node->children);
            }
        };
        walk(xml.Root());
        return found;
    }
};

class SoapServicesTest : public ::testing::Test {
  protected:
    SoapServicesTest() {
        sandbox::Options options;
        options.reportLog = temp.path() / "reports.jsonl";
        options.filesDir = SANDBOX_FILES_DIR;
        options.clock = support::FixedClock();
        box.emplace(options);
    }

    SoapReply Post(const std::string& path, const std::optional<std::string>& action,
                   const std::string& contentType, const std::string& body) {
        httplib::Client client("127.0.0.1", box->port());
        httplib::Headers headers;
        if (action) {
            headers.emplace("SOAPAction", *action);
        }
        const auto result = client.Post(path.c_str(), headers, body, contentType.c_str());
        if (!result) {
            throw std::runtime_error("no answer: " + httplib::to_string(result.error()));
        }
        return {result->status, result->get_header_value("Content-Type"), result->body};
    }

    SoapReply Report(const std::string& body) {
        return Post("/searchadd.asmx", "\"SearchAddIn/AddSub\"", "text/xml; charset=\"utf-8\"",
                    body);
    }

    SoapReply List() {
        return Post("/Query.asmx", "\"QuillonUpGrade/GetUpGradeFileList\"", "text/xml",
                    RequestEnvelope(kListCall));
    }

    // The service makes its log with the first report it takes.
    std::string Log() const {
        return std::filesystem::exists(temp.path() / "reports.jsonl") ? temp.Read("reports.jsonl")
                                                                      : std::string();
    }

    support::TempDir temp;
    std::optional<sandbox::Sandbox> box;
};

TEST_F(SoapServicesTest, LogsEachAcceptedReportAsOneJsonLine) {
    const auto reply = Report(RequestEnvelope(AddSubCall("手机+&lt;壳&amp;膜\"")));
    const auto second =
        Post("/searchadd.asmx", "SearchAddIn/AddSub", "text/xml",
             RequestEnvelope("<AddSub xmlns=\"SearchAddIn\"><PJJ>NaN</PJJ></AddSub>"));

    EXPECT_EQ(reply.status, 200) << reply.body;
    EXPECT_EQ(reply.contentType, "text/xml; charset=utf-8");
    EXPECT_TRUE(reply.Find("AddSubResponse").has_value()) << reply.body;
    EXPECT_EQ(second.status, 200) << second.body;
    EXPECT_EQ(Log(),
              "{\"time\":\"2009-03-03 08:05:09\",\"Key\":\"手机+<壳&膜\\\"\",\"JS_ZDJ\":1200,"
              "\"JS_ZGJ\":0,\"GoodsCount\":350,\"PJJ\":57.4300003051758,\"Version\":\"unknow!\"}\n"
              "{\"time\":\"2009-03-03 08:05:09\",\"Key\":null,\"JS_ZDJ\":0,\"JS_ZGJ\":0,"
              "\"GoodsCount\":0,\"PJJ\":\"NaN\",\"Version\":null}\n");
}

TEST_F(SoapServicesTest, RefusesWhatAnAspNetServiceRefuses) {
    struct Case {
        const char* what;
        std::optional<std::string> action;
        std::string contentType;
        std::string body;
        std::string faultcode;  // empty: the answer is no SOAP message at all
        std::string faultstring;
    };
    const std::string good = RequestEnvelope(AddSubCall("a"));
    const std::string xml = "text/xml; charset=\"utf-8\"";
    const std::string unreadable = "Server was unable to read request. ---> ";
    const std::vector<Case> cases = {
        {"wrong SOAPAction", "\"SearchAddIn/Add\"", xml, good, "soap:Client",
         "Server did not recognize the value of HTTP Header SOAPAction: SearchAddIn/Add."},
        {"no SOAPAction", std::nullopt, xml, good, "soap:Client",
         "Server did not recognize the value of HTTP Header SOAPAction: ."},
        {"the other service's SOAPAction", "\"QuillonUpGrade/GetUpGradeFileList\"", xml, good,
         "soap:Client",
         "Server did not recognize the value of HTTP Header SOAPAction: "
         "QuillonUpGrade/GetUpGradeFileList."},
        {"a form instead of XML", "\"SearchAddIn/AddSub\"", "application/x-www-form-urlencoded",
         "Key=a", "", "Request format is invalid"},
        {"a SOAP 1.2 envelope", "\"SearchAddIn/AddSub\"", xml,
         RequestEnvelope(AddSubCall("a"), "http://www.w3.org/2003/05/soap-envelope"),
         "soap:VersionMismatch", "Possible SOAP version mismatch"},
        {"not XML", "\"SearchAddIn/AddSub\"", xml, "Key=a", "soap:Client",
         unreadable + "There is an error in XML document"},
        {"operation outside its namespace", "\"SearchAddIn/AddSub\"", xml,
         RequestEnvelope("<AddSub><Key>a</Key></AddSub>"), "soap:Client",
         unreadable + "<AddSub xmlns=''> was not expected."},
        {"a count that is not a number", "\"SearchAddIn/AddSub\"", xml,
         RequestEnvelope(AddSubCall("a", "many")), "soap:Client",
         unreadable + "The value of GoodsCount is not a valid Int64: 'many'."},
        {"two bodies", "\"SearchAddIn/AddSub\"", xml,
         RequestEnvelope(AddSubCall("a") + "</SOAP-ENV:Body><SOAP-ENV:Body>"), "soap:Client",
         unreadable + "The envelope holds <Body>"},
    };
    for (const Case& c : cases) {
        const auto reply = Post("/searchadd.asmx", c.action, c.contentType, c.body);
        EXPECT_EQ(reply.status, 500) << c.what;
        if (c.faultcode.empty()) {
            EXPECT_NE(reply.body.find(c.faultstring), std::string::npos) << c.what << reply.body;
            continue;
        }
        EXPECT_EQ(reply.Find("faultcode"), c.faultcode) << c.what << "\n" << reply.body;
        EXPECT_TRUE(reply.Find("faultstring").value_or("").starts_with(c.faultstring))
            << c.what << "\n"
            << reply.body;
    }
    EXPECT_EQ(Log(), "") << "a refused report was logged";
}

TEST_F(SoapServicesTest, ServesTheUpdateListAsCharacters) {
    const std::filesystem::path lists = SANDBOX_LISTS_DIR;
    const auto withBase = [&](std::string text) {
        for (size_t at; (at = text.find("{SANDBOX}")) != std::string::npos;) {
            text.replace(at, 9, box->url(""));
        }
        return text;
    };
    const std::string chinese = withBase(support::ReadFile(lists / "chinese-utf8.xml"));
    // The GB2312 list holds the same characters and declares its own encoding.
    std::string declaredGb = chinese;
    declaredGb.replace(declaredGb.find("utf-8"), 5, "GB2312");
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"normal.xml", withBase(support::ReadFile(lists / "normal.xml"))},
        {"chinese-utf8.xml", chinese},
        {"chinese-gb2312.xml", declaredGb},
        {"ill-formed.xml", withBase(support::ReadFile(lists / "ill-formed.xml"))},
    };
    for (const auto& [file, text] : cases) {
        box->SetUpdateList(lists / file);
        const auto reply = List();
        EXPECT_EQ(reply.status, 200) << file << reply.body;
        EXPECT_EQ(reply.Find("GetUpGradeFileListResult"), text) << file;
    }

    box->SetUpdateList({});
    EXPECT_EQ(List().Find("GetUpGradeFileListResult"), "");
    box->SetUpdateList(temp.path() / "missing.xml");
    const auto missing = List();
    EXPECT_EQ(missing.status, 500);
    EXPECT_EQ(missing.Find("faultcode"), "soap:Server");
}

TEST_F(SoapServicesTest, DownloadsTheFilesTheListsName) {
    const std::filesystem::path files = SANDBOX_FILES_DIR;
    httplib::Client client("127.0.0.1", box->port());
    const std::vector<std::pair<const char*, std::filesystem::path>> cases = {
        {"/files/Help.html", files / "Help.html"},
        {"/files/%E8%B5%84%E6%96%99/%E7%83%AD%E9%97%A8%E5%85%B3%E9%94%AE%E5%AD%97.txt",
         files / "资料" / "热门关键字.txt"},
    };
    for (const auto& [path, file] : cases) {
        const auto result = client.Get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, 200) << path;
        EXPECT_EQ(result->body, support::ReadFile(file)) << path;
    }
    const auto outside = client.Get("/files/../lists/normal.xml");
    ASSERT_TRUE(outside);
    EXPECT_NE(outside->status, 200);
}

}  // namespace
