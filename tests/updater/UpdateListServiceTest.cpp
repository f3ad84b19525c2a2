#include "base/Xml.h"
#include "updater/Query.h"
#include "updater/UpdateList.h"
#include "updater/unit_QueryUpGrade.h"

#include "RawHttpServer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <filesystem>

namespace {

using testsupport::RawHttpServer;
using testsupport::TempDir;
using updater::TRemoteXMLFile;
using updater::TUpGradeQuery;

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    }
    return out;
}

std::string Envelope(
    const std::string& responseContent,
    const std::string& declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>") {
    return declaration +
           "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
           "<GetUpGradeFileListResponse xmlns=\"QuillonUpGrade\">" +
           responseContent + "</GetUpGradeFileListResponse></soap:Body></soap:Envelope>";
}

// The service's usual answer: the list document as the text of the result element.
std::string ListAnswer(const std::string& list) {
    return RawHttpServer::Answer(
        "200 OK",
        Envelope("<GetUpGradeFileListResult>" + Escaped(list) + "</GetUpGradeFileListResult>"),
        "Content-Type: text/xml; charset=utf-8\r\n");
}

const std::string kList =
    "<?xml version=\"1.0\"?>\n<UpGrade>\n"
    "  <File><Name>Qorvane</Name><Version>1.2</Version><URL>http://h/Qorvane</URL>"
    "<A> 3 </A><B> 4 </B></File>\n"
    "  <File><Name>img/0.jpg</Name><Version>1</Version><URL>http://h/0.jpg?a=1&amp;b=2</URL>"
    "<A><![CDATA[<x>]]></A><B>b</B></File>\n"
    "</UpGrade>\n";

const std::vector<updater::UpdateListEntry> kListEntries = {
    {"Qorvane", "1.2", "http://h/Qorvane", " 3 ", " 4 "},
    {"img/0.jpg", "1", "http://h/0.jpg?a=1&b=2", "<x>", "b"},
};

// A program directory of its own, whose Config.ini names a local test server.
class UpdateListService : public testing::Test {
  protected:
    UpdateListService() {
        // The test servers are local; a proxy from the environment must not get in the way.
        setenv("no_proxy", "127.0.0.1", 1);
    }

    void Serve(std::string answer) {
        server_.emplace([answer = std::move(answer)](const std::string&) { return answer; });
        dir_.Write("Config.ini",
                   "[UpGrade]\r\nServer=127.0.0.1:" + std::to_string(server_->port()) + "\r\n");
    }

    std::string Target() const { return dir_.dir() + "UpGrade_New.xml"; }

    TempDir dir_;
    std::optional<RawHttpServer> server_;
};

TEST_F(UpdateListService, AsksForTheListAndKeepsIt) {
    Serve(ListAnswer(kList));
    dir_.Write("UpGrade_New.xml", "earlier");
    TRemoteXMLFile remote(dir_.dir());
    ASSERT_TRUE(remote.FetchToFile(Target()));

    ASSERT_EQ(server_->requests().size(), 1u);
    const std::string request = server_->requests()[0];
    const size_t headEnd = request.find("\r\n\r\n");
    const std::string head = request.substr(0, headEnd + 2);
    EXPECT_EQ(head.substr(0, head.find("\r\n")), "POST /Query.asmx HTTP/1.1");
    EXPECT_NE(head.find("\r\nHost: 127.0.0.1:" + std::to_string(server_->port()) + "\r\n"),
              std::string::npos);
    EXPECT_NE(head.find("\r\nSOAPAction: \"QuillonUpGrade/GetUpGradeFileList\"\r\n"),
              std::string::npos);
    EXPECT_NE(head.find("\r\nContent-Type: text/xml\r\n"), std::string::npos) << head;
    const base::XmlDocument body = base::XmlDocument::Parse(request.substr(headEnd + 4));
    const xmlNode* operation = body.Root()->children->children;
    EXPECT_EQ(base::NodeName(operation), "GetUpGradeFileList");
    EXPECT_STREQ(reinterpret_cast<const char*>(operation->ns->href), "QuillonUpGrade");
    EXPECT_EQ(operation->children, nullptr);

    const std::string saved = dir_.Read("UpGrade_New.xml");
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << saved;
    EXPECT_EQ(updater::ReadUpdateListFile(Target(), 5), kListEntries);
    EXPECT_EQ(updater::ReadUpdateListEntries(updater::ParseUpdateList(kList), 5), kListEntries);
}

TEST_F(UpdateListService, AnswersEveryFailureWithAnEmptyText) {
    const std::string listResult = "<GetUpGradeFileListResult>x</GetUpGradeFileListResult>";
    const struct {
        const char* what;
        std::string answer;
        std::string text;
    } cases[] = {
        {"a single child of any name", RawHttpServer::Answer("200 OK", Envelope("<List>a</List>")),
         "a"},
        {"Result among two children",
         RawHttpServer::Answer("200 OK", Envelope("<first>a</first><result>b</result>")), "b"},
        {"two children, neither a result",
         RawHttpServer::Answer("200 OK", Envelope("<first>a</first><second>b</second>")), ""},
        {"status 404", RawHttpServer::Answer("404 Not Found", Envelope(listResult)), ""},
        {"a SOAP fault",
         RawHttpServer::Answer("500 Internal Server Error",
                               "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/"
                               "envelope/\"><soap:Body><soap:Fault><faultcode>soap:Server</"
                               "faultcode><faultstring>down</faultstring></soap:Fault></"
                               "soap:Body></soap:Envelope>"),
         ""},
        {"not a SOAP answer", RawHttpServer::Answer("200 OK", "<html>Bad gateway</html>"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Serve(c.answer);
        EXPECT_EQ(TUpGradeQuery(dir_.dir()).QueryFileList(), c.text);
    }
}

TEST_F(UpdateListService, AnswersAnUnreachableOrUnnamedServerWithAnEmptyText) {
    int closedPort;
    {
        RawHttpServer gone([](const std::string&) { return std::nullopt; });
        closedPort = gone.port();
    }
    for (const std::string& server : {"127.0.0.1:" + std::to_string(closedPort), std::string()}) {
        SCOPED_TRACE(server);
        dir_.Write("Config.ini", "[UpGrade]\nServer=" + server + "\n");
        EXPECT_EQ(TUpGradeQuery(dir_.dir()).QueryFileList(), "");
    }
}

TEST_F(UpdateListService, LeavesAnEarlierListAloneWhenTheAnswerIsEmpty) {
    for (const std::string& answer :
         {RawHttpServer::Answer("200 OK", Envelope("<GetUpGradeFileListResult/>")),
          RawHttpServer::Answer("503 Service Unavailable", "")}) {
        Serve(answer);
        dir_.Write("UpGrade_New.xml", "earlier");
        EXPECT_FALSE(TRemoteXMLFile(dir_.dir()).FetchToFile(Target()));
        EXPECT_EQ(dir_.Read("UpGrade_New.xml"), "earlier");
    }
}

TEST_F(UpdateListService, RaisesTheParseErrorOfAnIllFormedListAndWritesNothing) {
    const struct {
        std::string list;
        std::string tail;
    } cases[] = {
        {"<r>\n<f><n>a</n></f>\n<f>\n</r>", "\r\nLine: 4\r\n</r>"},
        {"<html><body>Bad gateway", "\r\nLine: 1\r\n<html><body>Bad gateway"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        Serve(ListAnswer(c.list));
        try {
            TRemoteXMLFile(dir_.dir()).FetchToFile(Target());
            ADD_FAILURE() << "no error";
        } catch (const updater::UpdateListError& e) {
            const std::string text = e.what();
            EXPECT_GT(text.find("\r\n"), 0u);
            EXPECT_EQ(text.substr(text.find("\r\n")), c.tail);
        }
        EXPECT_FALSE(std::filesystem::exists(Target()));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1)
        << "only Config.ini";
}

TEST_F(UpdateListService, ReadsChineseNamesWhateverTheListDeclares) {
    const std::string entries =
        "<r><f><n>帮助/说明.html</n><v>1</v><u>http://h/说明</u><a>甲</a><b>乙</b></f></r>";
    const updater::UpdateListEntry expected = {"帮助/说明.html", "1", "http://h/说明", "甲", "乙"};
    const std::string gbkEnvelope =  // the same list, on the wire in GBK
        "<?xml version=\"1.0\" encoding=\"gb2312\"?>"
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
        "<GetUpGradeFileListResponse xmlns=\"QuillonUpGrade\"><GetUpGradeFileListResult>"
        "&lt;?xml version=\"1.0\" encoding=\"GB2312\"?&gt;&lt;r&gt;&lt;f&gt;&lt;n&gt;"
        "\xB0\xEF\xD6\xFA/\xCB\xB5\xC3\xF7.html&lt;/n&gt;&lt;v&gt;1&lt;/v&gt;&lt;u&gt;http://h/"
        "\xCB\xB5\xC3\xF7&lt;/u&gt;&lt;a&gt;\xBC\xD7&lt;/a&gt;&lt;b&gt;\xD2\xD2&lt;/b&gt;&lt;/f&gt;"
        "&lt;/r&gt;</GetUpGradeFileListResult></GetUpGradeFileListResponse></soap:Body>"
        "</soap:Envelope>";
    const struct {
        const char* what;
        std::string answer;
    } cases[] = {
        {"declared UTF-8", ListAnswer("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + entries)},
        {"declared GB2312", ListAnswer("<?xml version=\"1.0\" encoding=\"GB2312\"?>" + entries)},
        {"declaring nothing", ListAnswer(entries)},
        {"sent in GBK", RawHttpServer::Answer("200 OK", gbkEnvelope)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Serve(c.answer);
        ASSERT_TRUE(TRemoteXMLFile(dir_.dir()).FetchToFile(Target()));
        EXPECT_EQ(updater::ReadUpdateListFile(Target(), 5),
                  std::vector<updater::UpdateListEntry>{expected});
    }
}

TEST_F(UpdateListService, RaisesWhenTheFileCannotBeWritten) {
    Serve(ListAnswer(kList));
    const std::string target = dir_.dir() + "missing/UpGrade_New.xml";
    EXPECT_THROW(TRemoteXMLFile(dir_.dir()).FetchToFile(target), std::system_error);
}

}  // namespace
