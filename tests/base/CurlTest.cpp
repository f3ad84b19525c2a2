#include "base/Curl.h"

#include "support/RawHttpServer.h"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>

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

TEST(CurlEasy, AStopAbandonsAStalledTransferAndEveryLaterOne) {
    std::promise<void> stalled;
    RawHttpServer server([&stalled](const std::string&) -> std::optional<std::string> {
        stalled.set_value();
        return std::nullopt;
    });
    std::stop_source stop;
    CurlEasy curl;
    curl.SetStop(stop.get_token());
    curl.Set(CURLOPT_URL, server.url("/file").c_str());
    std::jthread stopper([&stalled, &stop] {
        stalled.get_future().wait();
        stop.request_stop();
    });
    // Without the stop this transfer never ends: the test's time-out is the failure.
    EXPECT_EQ(curl.Perform(), CURLE_ABORTED_BY_CALLBACK);
    EXPECT_EQ(curl.Perform(), CURLE_ABORTED_BY_CALLBACK);
    EXPECT_EQ(server.requests().size(), 1u) << "a transfer was started after the stop";
}

}  // namespace
}  // namespace base
