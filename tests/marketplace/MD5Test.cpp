#include "marketplace/MD5.h"

#include <gtest/gtest.h>

namespace {

TEST(MD5, MatchesTheReferenceDigests) {
    // The test suite published with RFC 1321.
    const struct {
        const char* text;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(marketplace::MD5(c.text), c.digest) << '"' << c.text << '"';
    }
}

TEST(MD5, DigestsBytesIncludingZerosAndHighBytes) {
    // Expected value from md5sum of the same four bytes.
    EXPECT_EQ(marketplace::MD5(std::string("\x00\xFF\xE6\x89", 4)),
              "0a102f47db934ec0b3c64c79a7d6ccc4");
}

}  // namespace
