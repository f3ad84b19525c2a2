#include "marketplace/unit_TaoBaoHTTPClient.h"

#include "support/GatewayRequests.h"
#include "support/RawHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>

namespace {

using marketplace::THTTPClient;
using support::RawHttpServer;

TEST(UrlEncode, FollowsTheGatewayFormEncoding) {
    const struct {
        std::string text;
        std::string encoded;
    } cases[] = {
        {"", ""},
        {"AZaz09", "AZaz09"},
        {"-._", "-._"},
        {"a&b=c", "a%26b%3Dc"},
        {"a b", "a+b"},
        {"a+b", "a%2Bb"},
        {"100%", "100%25"},
        {"~*", "%7E%2A"},
        {"\t", "%09"},
        {"/:?#,", "%2F%3A%3F%23%2C"},
        {std::string("\x00\x7F", 2), "%00%7F"},
        {"\xE6\x89\x8B", "%E6%89%8B"},
        {"\x80\xFF", "%80%FF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(THTTPClient::UrlEncode(c.text), c.encoded) << c.text;
    }
}

std::optional<std::string> AnswerOk(const std::string&) {
    return RawHttpServer::Answer("200 OK", "<rsp/>");
}

TEST(PostRequest, SendsExactlyTheGatewayRequestBytes) {
    // A large body goes out the same way: no Expect line, no chunks.
    for (const std::string& body :
         {std::string("a=1&b=2"), std::string(), std::string(2'000'000, 'x')}) {
        RawHttpServer server(AnswerOk);
        THTTPClient client(server.url("/sip/rest"));
        EXPECT_EQ(client.PostRequest(body), "<rsp/>");
        ASSERT_EQ(server.requests().size(), 1u);
        const std::string request = server.requests()[0];
        const std::string head = support::RequestHead(server.port(), body.size());
        EXPECT_EQ(request.substr(0, head.size()), head);
        EXPECT_EQ(request.size(), head.size() + body.size());
        EXPECT_TRUE(request.compare(head.size(), std::string::npos, body) == 0);
    }
}

TEST(PostRequest, ReturnsOnlyA2xxAnswerWithoutLocationThatIsUtf8) {
    const std::string body = "<?xml version=\"1.0\" encoding=\"utf-8\" ?><rsp>手机</rsp>";
    const struct {
        const char* what;
        std::string answer;
        std::string expected;
    } cases[] = {
        {"200", RawHttpServer::Answer("200 OK", body), body},
        {"201", RawHttpServer::Answer("201 Created", body), body},
        {"HTTP/1.0 answer without length",
         "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + body, body},
        {"302", RawHttpServer::Answer("302 Found", body, "Location: /sip/moved\r\n"), ""},
        {"404", RawHttpServer::Answer("404 Not Found", body), ""},
        {"401", RawHttpServer::Answer("401 Unauthorized", body), ""},
        {"500", RawHttpServer::Answer("500 Internal Server Error", body), ""},
        {"200 with Location", RawHttpServer::Answer("200 OK", body, "Location: /sip/other\r\n"),
         ""},
        {"byte 0xFF", RawHttpServer::Answer("200 OK", "<rsp>\xFF</rsp>"), ""},
        {"GBK body", RawHttpServer::Answer("200 OK", "<rsp>\xCA\xD6\xBB\xFA</rsp>"), ""},
        {"truncated body", "HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n" + body, ""},
        {"not HTTP", "garbage that is no status line\r\n\r\n" + body, ""},
        {"larger than 32 MiB",
         "HTTP/1.0 200 OK\r\n\r\n<rsp>" + std::string(32 * 1024 * 1024, 'x') + "</rsp>", ""},
        {"closed without answer", "", ""},
    };
    for (const auto& c : cases) {
        // Anywhere but the gateway path answers well, so a followed Location would show.
        RawHttpServer server([&](const std::string& request) {
            return request.starts_with("POST /sip/rest ")
                       ? c.answer
                       : RawHttpServer::Answer("200 OK", "moved");
        });
        THTTPClient client(server.url("/sip/rest"));
        EXPECT_EQ(client.PostRequest("a=1"), c.expected) << c.what;
        EXPECT_EQ(server.requests().size(), 1u) << c.what;
    }
}

TEST(PostRequest, ARefusedConnectionGivesAnEmptyAnswer) {
    // A bound socket that does not listen: connecting to its port is refused.
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    THTTPClient client("http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/sip/rest");
    EXPECT_EQ(client.PostRequest("a=1"), "");
    close(fd);
}

// The server takes the request and never answers. Each case shortens one limit and leaves the
// other far away, so only the shortened one can end the request before the bound.
TEST(PostRequest, AServerThatNeverAnswersHitsTheTimeOut) {
    using std::chrono::seconds;
    using namespace std::chrono_literals;
    const struct {
        const char* what;
        base::CurlTimeouts timeouts;
    } cases[] = {
        {"stall", {.stall = 1s, .total = 600s}},
        {"whole request", {.stall = 600s, .total = 300ms}},
    };
    for (const auto& c : cases) {
        RawHttpServer server([](const std::string&) { return std::nullopt; });
        THTTPClient client(server.url("/sip/rest"));
        client.SetTimeouts(c.timeouts);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(client.PostRequest("a=1"), "") << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, seconds(60)) << c.what;
        EXPECT_EQ(server.requests().size(), 1u) << c.what;
    }
}

}  // namespace
