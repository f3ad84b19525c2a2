#include "base/Encoding.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(Utf8Validation, AcceptsWellFormedAndRejectsBrokenSequences) {
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain ascii", true},
        {"中文 mixed", true},
        {"\xF0\x9F\x98\x80", true},   // U+1F600
        {"\xFF", false},              // never in UTF-8
        {"a\xE4\xB8", false},         // truncated at the end
        {"\xC0\x80", false},          // overlong NUL
        {"\xE0\x80\xAF", false},      // overlong "/"
        {"\xED\xA0\x80", false},      // surrogate half
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xE4\xB8\x41", false},      // bad continuation
    };
    for (const Case& c : cases) {
        EXPECT_EQ(base::IsValidUtf8(c.text), c.valid) << testing::PrintToString(c.text);
    }
}

TEST(GbkConversion, RoundTripsChineseText) {
    EXPECT_EQ(base::Utf8ToGbkWithCharRefs("中文 ok"), "\xD6\xD0\xCE\xC4 ok");
    EXPECT_EQ(base::GbkToUtf8("\xD6\xD0\xCE\xC4 ok"), "中文 ok");
    // A character of GBK that the older GB2312 lacks.
    EXPECT_EQ(base::Utf8ToGbkWithCharRefs("喆"), "\x86\xB4");
    EXPECT_EQ(base::GbkToUtf8("\x86\xB4"), "喆");
}

TEST(GbkConversion, WritesCharacterReferencesForWhatGbkCannotHold) {
    EXPECT_EQ(base::Utf8ToGbkWithCharRefs("a\xF0\x9F\x98\x80"
                                          "b中"),
              "a&#x1F600;b\xD6\xD0");
    EXPECT_THROW(base::Utf8ToGbkWithCharRefs("bad \xFF"), std::invalid_argument);
}

TEST(Utf8Prefix, CountsCharactersNotBytes) {
    EXPECT_EQ(base::Utf8Prefix("中文ab", 3), "中文a");
    EXPECT_EQ(base::Utf8Prefix("ab", 5), "ab");
    EXPECT_EQ(base::Utf8Prefix("\xF0\x9F\x98\x80x", 1), "\xF0\x9F\x98\x80");
    EXPECT_EQ(base::Utf8Prefix("abc", 0), "");
}

TEST(GbkConversion, ReplacesBytesThatAreNotGbk) {
    EXPECT_EQ(base::GbkToUtf8("a\xFF"
                              "b"),
              "a\xEF\xBF\xBD"
              "b");
}

}  // namespace
