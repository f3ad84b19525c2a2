#include "base/Xml.h"

#include <gtest/gtest.h>

namespace {

using base::ElementValue;
using base::FindChild;
using base::XmlDocument;

TEST(XmlDocument, DecodesByDeclarationWithGb2312ReadAsGbk) {
    // 喆 exists in GBK but not in GB2312; Windows and browsers read the label as GBK.
    const XmlDocument doc = XmlDocument::Parse(
        "<?xml version=\"1.0\" encoding=\"GB2312\"?><r><n>\xD6\xD0\x86\xB4</n></r>");
    EXPECT_EQ(ElementValue(FindChild(doc.Root(), "n")), "中喆");
}

TEST(XmlDocument, ForcedEncodingOverridesTheDeclaration) {
    const XmlDocument doc =
        XmlDocument::Parse("<?xml version=\"1.0\" encoding=\"GB2312\"?><r><n>中文</n></r>",
                           {.forcedEncoding = "UTF-8"});
    EXPECT_EQ(ElementValue(FindChild(doc.Root(), "n")), "中文");
}

TEST(XmlDocument, ReportsTheFirstParseErrorWithItsLine) {
    try {
        XmlDocument::Parse("<r>\n<a>\n</b></r>");
        FAIL() << "no error";
    } catch (const base::XmlParseError& e) {
        EXPECT_NE(e.reason().find("Opening and ending tag mismatch"), std::string::npos)
            << e.reason();
        EXPECT_EQ(e.line(), 3);
    }
    EXPECT_THROW(XmlDocument::Parse(""), base::XmlParseError);
    EXPECT_THROW(XmlDocument::Parse("   "), base::XmlParseError);
    EXPECT_THROW(XmlDocument::Parse("<html><body>Bad gateway"), base::XmlParseError);
}

TEST(XmlDocument, NeverReadsExternalEntities) {
    const XmlDocument doc = XmlDocument::Parse(
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><r><v>&x;</v></r>");
    // The reference stays a reference node, so reading the value fails instead of leaking.
    EXPECT_THROW(ElementValue(FindChild(doc.Root(), "v")), base::XmlValueError);
}

TEST(XmlDocument, RefusesADocumentTypeDeclarationWhenAsked) {
    const std::string withDoctype[] = {
        "<!DOCTYPE r><r/>",
        "<?xml version=\"1.0\"?><!DOCTYPE r SYSTEM \"r.dtd\"><r/>",
        "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]><r>&b;</r>",
    };
    for (const std::string& text : withDoctype) {
        EXPECT_THROW(XmlDocument::Parse(text, {.refuseDoctype = true}), base::XmlDoctypeError)
            << text;
        EXPECT_NO_THROW(XmlDocument::Parse(text)) << text;
    }
    EXPECT_NO_THROW(XmlDocument::Parse("<r>&lt;!DOCTYPE r&gt;</r>", {.refuseDoctype = true}));
}

TEST(XmlDocument, DropsBlankTextUnlessAskedToKeepIt) {
    const std::string text = "<r>\n  <a>  </a>\n</r>";
    const XmlDocument dropped = XmlDocument::Parse(text);
    EXPECT_EQ(dropped.Root()->children, FindChild(dropped.Root(), "a"));
    EXPECT_EQ(FindChild(dropped.Root(), "a")->children, nullptr);
    const XmlDocument kept = XmlDocument::Parse(text, {.dropBlankText = false});
    EXPECT_EQ(ElementValue(FindChild(kept.Root(), "a")), "  ");
}

TEST(ElementValue, FollowsTheCommonReadingRules) {
    const XmlDocument doc = XmlDocument::Parse(
        "<r>\n  <text>12</text>\n  <empty/>\n  <open></open>\n  <blank>   </blank>\n"
        "  <cdata><![CDATA[a<b]]></cdata>\n  <nested><x>1</x></nested>\n"
        "  <mixed>a<!--c--></mixed>\n  <entity>a &amp; b</entity>\n</r>");
    const xmlNode* root = doc.Root();
    EXPECT_EQ(ElementValue(FindChild(root, "text")), "12");
    EXPECT_EQ(ElementValue(FindChild(root, "empty")), std::nullopt);
    EXPECT_EQ(ElementValue(FindChild(root, "open")), std::nullopt);
    EXPECT_EQ(ElementValue(FindChild(root, "blank")), std::nullopt);
    EXPECT_EQ(ElementValue(FindChild(root, "missing")), std::nullopt);
    EXPECT_EQ(ElementValue(FindChild(root, "cdata")), "a<b");
    EXPECT_EQ(ElementValue(FindChild(root, "entity")), "a & b");
    EXPECT_THROW(ElementValue(FindChild(root, "nested")), base::XmlValueError);
    EXPECT_THROW(ElementValue(FindChild(root, "mixed")), base::XmlValueError);
    try {
        ElementValue(FindChild(root, "nested"));
    } catch (const base::XmlValueError& e) {
        EXPECT_STREQ(e.what(), "Element does not contain a single text node");
    }
}

TEST(FindChild, MatchesNamesExactly) {
    const XmlDocument doc = XmlDocument::Parse("<r><Item>1</Item><item>2</item></r>");
    EXPECT_EQ(ElementValue(FindChild(doc.Root(), "item")), "2");
    EXPECT_EQ(FindChild(doc.Root(), "items"), nullptr);
    EXPECT_EQ(FindChild(nullptr, "item"), nullptr);
}

}  // namespace
