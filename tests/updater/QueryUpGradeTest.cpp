#include "updater/unit_QueryUpGrade.h"

#include "base/Xml.h"
#include "updater/Query.h"
#include "updater/UpdateList.h"

#include "support/RawHttpServer.h"
#include "support/ScopedEnv.h"
#include "support/SoapAnswers.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using support::RawHttpServer;
using support::TempDir;
using updater::TCheckUpGradeFile;
using updater::TRemoteXMLFile;
using updater::TUpGradeQuery;

std::string List(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<UpGrade>\n" + entries + "</UpGrade>\n";
}

std::string Entry(const std::string& name, const std::string& version,
                  const std::string& url = "http://h/f", const std::string& pos3 = "p3",
                  const std::string& pos4 = "p4") {
    return "  <File><Name>" + name + "</Name><Version>" + version + "</Version><URL>" + url +
           "</URL><P3>" + pos3 + "</P3><P4>" + pos4 + "</P4></File>\n";
}

// An installed-list entry, which needs only a name and a version.
std::string OldEntry(const std::string& name, const std::string& version) {
    return "  <F><N>" + name + "</N><V>" + version + "</V></F>\n";
}

struct Selected {
    std::string name, url, pos3, pos4;
    bool operator==(const Selected&) const = default;
};

// Runs one check over lists written to a fresh directory; std::nullopt leaves a file out.
class Check {
  public:
    Check(const std::optional<std::string>& oldList, const std::optional<std::string>& newList) {
        if (oldList) {
            dir_.Write("UpGrade_Old.xml", *oldList);
        }
        if (newList) {
            dir_.Write("UpGrade_New.xml", *newList);
        }
        check.OldFileName = dir_.dir() + "UpGrade_Old.xml";
        check.NewFileName = dir_.dir() + "UpGrade_New.xml";
    }

    std::vector<Selected> Result() const {
        EXPECT_EQ(check.UpURLs.size(), check.UpNames.size());
        EXPECT_EQ(check.UpPos3Values.size(), check.UpNames.size());
        EXPECT_EQ(check.UpPos4Values.size(), check.UpNames.size());
        std::vector<Selected> selected;
        for (size_t k = 0; k < check.UpNames.size(); ++k) {
            selected.push_back(
                {check.UpNames[k], check.UpURLs[k], check.UpPos3Values[k], check.UpPos4Values[k]});
        }
        return selected;
    }

    TCheckUpGradeFile check;

  private:
    support::TempDir dir_;
};

struct ComparisonCase {
    const char* what;
    std::optional<std::string> oldList;
    std::optional<std::string> newList;
    std::vector<Selected> expected;
};

const char* const kGbkList =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<r><f><n>\xD6\xD0\xCE\xC4.exe</n><v>2</v>"
    "<u>http://h/\xD6\xD0</u><a>p3</a><b>p4</b></f></r>";

const ComparisonCase kComparisons[] = {
    {"no installed list: every entry, in list order",
     std::nullopt,
     List(Entry("b.exe", "1", "http://h/b") + Entry("a.exe", "1", "http://h/a")),
     {{"b.exe", "http://h/b", "p3", "p4"}, {"a.exe", "http://h/a", "p3", "p4"}}},
    {"installed list with no entries: every entry",
     "<r/>",
     List(Entry("a.exe", "1")),
     {{"a.exe", "http://h/f", "p3", "p4"}}},
    {"equal lists, whatever the element names and attributes",
     "<x><y id=\"1\"><n>a.exe</n><v>1.0</v></y><y><n>b.dll</n><v>2</v></y></x>",
     List(Entry("a.exe", "1.0") + Entry("b.dll", "2")),
     {}},
    {"names differing in letter case are different files",
     List(OldEntry("Qorvane", "1")),
     List(Entry("qorvane", "1")),
     {{"qorvane", "http://h/f", "p3", "p4"}}},
    {"versions compare as text, older ones included",
     List(OldEntry("a", "1.0") + OldEntry("b", "2.0") + OldEntry("c", "1")),
     List(Entry("a", "1.00") + Entry("b", "1.9") + Entry("c", "1")),
     {{"a", "http://h/f", "p3", "p4"}, {"b", "http://h/f", "p3", "p4"}}},
    {"only the first installed entry of a name is compared",
     List(OldEntry("a", "1") + OldEntry("a", "2") + OldEntry("b", "2") + OldEntry("b", "1")),
     List(Entry("a", "2") + Entry("b", "2")),
     {{"a", "http://h/f", "p3", "p4"}}},
    {"the same name twice in the new list is judged twice",
     List(OldEntry("a", "1")),
     List(Entry("a", "2", "u1") + Entry("a", "1", "u2") + Entry("c", "1", "u3") +
          Entry("c", "1", "u4")),
     {{"a", "u1", "p3", "p4"}, {"c", "u3", "p3", "p4"}, {"c", "u4", "p3", "p4"}}},
    {"only position 3 is trimmed",
     List(OldEntry("a", "1")),
     List(Entry(" a", "1 ", " u ", " \t\r\n x y \t", "  z  ")),
     {{" a", " u ", "x y", "  z  "}}},
    {"CDATA reads like text; a sixth value and later are ignored",
     List(OldEntry("a&amp;b", "1")),
     "<r><f><n><![CDATA[a&b]]></n><v><![CDATA[2]]></v><u>u</u><a>3</a><b>4</b>"
     "<sixth><nested/></sixth><!-- seventh --></f></r>",
     {{"a&b", "u", "3", "4"}}},
    {"lists are decoded by their declaration, GB2312 as GBK",
     List(OldEntry("中文.exe", "1")),
     kGbkList,
     {{"中文.exe", "http://h/中", "p3", "p4"}}},
    {"no new list", List(OldEntry("a", "1")), std::nullopt, {}},
    {"a new list without entries", std::nullopt, "<r>\n  \n</r>", {}},
};

TEST(TCheckUpGradeFile, SelectsNewAndChangedEntries) {
    for (const ComparisonCase& c : kComparisons) {
        SCOPED_TRACE(c.what);
        Check check(c.oldList, c.newList);
        EXPECT_EQ(check.check.CheckFiles(), !c.expected.empty());
        EXPECT_EQ(check.Result(), c.expected);
    }
}

TEST(TCheckUpGradeFile, KeepsEveryEntryOfBothLists) {
    Check check(List(OldEntry("a", "1") + OldEntry("b", "1")),
                List(Entry("a", "1", "ua", " 3a ", " 4a ") + Entry("c", "2", "uc", "3c", "4c")));
    EXPECT_TRUE(check.check.CheckFiles());
    const TCheckUpGradeFile& c = check.check;
    EXPECT_EQ(c.OldNames, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(c.OldVersions, (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(c.NewNames, (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(c.NewVersions, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(c.NewURLs, (std::vector<std::string>{"ua", "uc"}));
    EXPECT_EQ(c.NewPos3Values, (std::vector<std::string>{"3a", "3c"}));
    EXPECT_EQ(c.NewPos4Values, (std::vector<std::string>{" 4a ", "4c"}));
}

TEST(TCheckUpGradeFile, ReadsNothingWithoutBothFileNames) {
    Check check(std::nullopt, List(Entry("a", "1")));
    check.check.OldFileName.clear();
    EXPECT_FALSE(check.check.CheckFiles());
    EXPECT_TRUE(check.check.NewNames.empty());
}

struct FaultCase {
    const char* what;
    std::optional<std::string> oldList;
    std::string newList;
    std::string error;
};

const FaultCase kFaults[] = {
    {"a new entry with four values", std::nullopt, "<r><f><n>a</n><v>1</v><u>u</u><a>3</a></f></r>",
     "List index out of bounds (4)"},
    {"a comment below the document element", std::nullopt,
     List(Entry("a", "1") + "<!-- removed: b -->\n"), "List index out of bounds (0)"},
    {"an installed entry with one value", "<r><f><n>a</n></f></r>", List(Entry("a", "1")),
     "List index out of bounds (1)"},
    {"an empty value", std::nullopt, List(Entry("a", "1", "u", "")),
     "Could not convert variant of type (Null) into type (String)"},
    {"a blank installed version", List(OldEntry("a", "   ")), List(Entry("a", "1")),
     "Could not convert variant of type (Null) into type (String)"},
    {"a value with an element inside", std::nullopt, List(Entry("a", "1<b/>")),
     "Element does not contain a single text node"},
    {"a value with text and a comment", std::nullopt, List(Entry("a", "1", "u<!--x-->")),
     "Element does not contain a single text node"},
    {"bare text in place of a value element", std::nullopt,
     "<r><f>a.exe<v>1</v><u>u</u><a>3</a><b>4</b></f></r>",
     "Element does not contain a single text node"},
};

TEST(TCheckUpGradeFile, FailsOnEntriesItCannotRead) {
    for (const FaultCase& c : kFaults) {
        SCOPED_TRACE(c.what);
        Check check(c.oldList, c.newList);
        try {
            check.check.CheckFiles();
            ADD_FAILURE() << "no error";
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), c.error);
        }
        EXPECT_TRUE(check.Result().empty());
    }
}

// The reason is libxml2's own wording; what follows it is fixed.
void ExpectParseError(const std::optional<std::string>& oldList, const std::string& newList,
                      const std::string& tail) {
    Check check(oldList, newList);
    try {
        check.check.CheckFiles();
        ADD_FAILURE() << "no error";
    } catch (const updater::UpdateListError& e) {
        const std::string text = e.what();
        const size_t reasonEnd = text.find("\r\n");
        ASSERT_NE(reasonEnd, std::string::npos) << text;
        EXPECT_NE(text.find("mismatch"), std::string::npos) << text;
        EXPECT_EQ(text.substr(reasonEnd), tail);
    }
    EXPECT_TRUE(check.Result().empty());
}

TEST(TCheckUpGradeFile, ReportsAnIllFormedListWithItsLine) {
    // 43 characters on line 3, two of them Chinese: the first 40 are shown.
    ExpectParseError(
        std::nullopt,
        "<?xml version=\"1.0\"?>\r\n<r>\r\n  <f><n>中文.exe</nn><v>1</v><u>http://h</u>"
        "</f>\r\n</r>",
        "\r\nLine: 3\r\n  <f><n>中文.exe</nn><v>1</v><u>http://h</");
    ExpectParseError("<r>\n<f><n>a</n><v>1</f>\n</r>", List(Entry("a", "1")),
                     "\r\nLine: 2\r\n<f><n>a</n><v>1</f>");
}

std::string Envelope(const std::string& responseContent,
                     const std::string& declaration = support::kUtf8Declaration) {
    return support::AnswerEnvelope("<GetUpGradeFileListResponse xmlns=\"QuillonUpGrade\">" +
                                       responseContent + "</GetUpGradeFileListResponse>",
                                   declaration);
}

// The service's usual answer: the list document as the text of the result element.
std::string ListAnswer(const std::string& list) {
    return RawHttpServer::Answer("200 OK",
                                 Envelope("<GetUpGradeFileListResult>" + base::XmlEscape(list) +
                                          "</GetUpGradeFileListResult>"),
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
    void Serve(std::string answer) {
        server_.emplace([answer = std::move(answer)](const std::string&) { return answer; });
        dir_.Write("Config.ini",
                   "[UpGrade]\r\nServer=127.0.0.1:" + std::to_string(server_->port()) + "\r\n");
    }

    std::string Target() const { return dir_.dir() + "UpGrade_New.xml"; }

    // The test servers are local; a proxy from the environment must not get in the way.
    support::ScopedEnv noProxy_{"no_proxy", "127.0.0.1"};
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
                               support::FaultEnvelope("soap:Server", "down")),
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

TEST_F(UpdateListService, RaisesTheParseErrorOfAListOfBlanksOnly) {
    for (const std::string blanks : {" ", "\n\t  \n"}) {
        Serve(ListAnswer(blanks));
        dir_.Write("UpGrade_New.xml", "earlier");
        EXPECT_EQ(TUpGradeQuery(dir_.dir()).QueryFileList(), blanks);
        try {
            TRemoteXMLFile(dir_.dir()).FetchToFile(Target());
            ADD_FAILURE() << "no error";
        } catch (const updater::UpdateListError& e) {
            EXPECT_NE(std::string(e.what()).find("\r\nLine: "), std::string::npos) << e.what();
        }
        EXPECT_EQ(dir_.Read("UpGrade_New.xml"), "earlier");
    }
}

TEST_F(UpdateListService, ReadsChineseNamesWhateverTheListDeclares) {
    const std::string entries =
        "<r><f><n>帮助/说明.html</n><v>1</v><u>http://h/说明</u><a>甲</a><b>乙</b></f></r>";
    const updater::UpdateListEntry expected = {"帮助/说明.html", "1", "http://h/说明", "甲", "乙"};
    const std::string gbkEnvelope = Envelope(  // the same list, on the wire in GBK
        "<GetUpGradeFileListResult>"
        "&lt;?xml version=\"1.0\" encoding=\"GB2312\"?&gt;&lt;r&gt;&lt;f&gt;&lt;n&gt;"
        "\xB0\xEF\xD6\xFA/\xCB\xB5\xC3\xF7.html&lt;/n&gt;&lt;v&gt;1&lt;/v&gt;&lt;u&gt;http://h/"
        "\xCB\xB5\xC3\xF7&lt;/u&gt;&lt;a&gt;\xBC\xD7&lt;/a&gt;&lt;b&gt;\xD2\xD2&lt;/b&gt;&lt;/f&gt;"
        "&lt;/r&gt;</GetUpGradeFileListResult>",
        "<?xml version=\"1.0\" encoding=\"gb2312\"?>");
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
