#pragma once

#include <string>
#include <string_view>

namespace base {

// True when text is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The first maxChars characters (code points) of valid UTF-8 text; never cuts one in half.
std::string_view Utf8Prefix(std::string_view text, size_t maxChars);

// GBK (code page 936) to UTF-8. A byte sequence that is not GBK becomes U+FFFD.
std::string GbkToUtf8(std::string_view gbk);

// UTF-8 to GBK for documents that declare a GBK-compatible charset: characters that GBK
// cannot hold are written as numeric character references ("&#x1F600;"), so nothing is lost.
// Throws std::invalid_argument when text is not valid UTF-8.
std::string Utf8ToGbkWithCharRefs(std::string_view text);

}  // namespace base
