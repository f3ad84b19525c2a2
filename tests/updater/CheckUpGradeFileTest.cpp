#include "updater/UpdateList.h"
#include "updater/unit_QueryUpGrade.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using updater::TCheckUpGradeFile;

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
    testsupport::TempDir dir_;
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

}  // namespace
