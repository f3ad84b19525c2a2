#include "base/Curl.h"

#include "support/RawHttpServer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace base {
namespace {

using support::RawHttpServer;

TEST(CurlEasy, RethrowsWhatTheBodySinkThrewOnceLibcurlHasReturned) {
    RawHttpServer server([](const std::string&) {
        return RawHttpServer::Answer("200 OK", std::string(100000, 'x'));
    });
    CurlEasy curl;
    curl.Set(CURLOPT_URL, server.url("/file").c_str());
    size_t calls = 0;
    EXPECT_THROW(curl.Perform([&calls](std::string_view) -> bool {
        ++calls;
        throw std::runtime_error("disk full");
    }),
                 std::runtime_error);
    EXPECT_EQ(calls, 1u) << "the transfer went on after the sink failed";

    // The handle stays usable, and the failed sink is gone.
    std::string body;
    EXPECT_EQ(curl.Perform([&body](std::string_view piece) {
        body += piece;
        return true;
    }),
              CURLE_OK);
    EXPECT_EQ(body.size(), 100000u);
    EXPECT_EQ(curl.ResponseCode(), 200);
}

TEST(CurlEasy, ASinkThatRefusesEndsTheTransferWithAWriteError) {
    RawHttpServer server([](const std::string&) {
        return RawHttpServer::Answer("200 OK", std::string(100000, 'x'));
    });
    CurlEasy curl;
    curl.Set(CURLOPT_URL, server.url("/file").c_str());
    const CURLcode code = curl.Perform([](std::string_view) { return false; });
    EXPECT_EQ(code, CURLE_WRITE_ERROR);
    EXPECT_FALSE(curl.ErrorText(code).empty());
}

}  // namespace
}  // namespace base
