#include "soap/Client.h"
#include "soap/Envelope.h"
#include "soap/Errors.h"

#include "support/RawHttpServer.h"
#include "support/SoapAnswers.h"
#include "support/SoapTestService.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>

namespace {

using support::AnswerEnvelope;
using support::kEscapedService;
using support::kFetch;
using support::kList;
using support::kNotify;
using support::kReport;
using support::kTestService;
using support::RawHttpServer;

std::string ExpectedRequest(int port, const std::string& path, const std::string& contentType,
                            const std::string& body) {
    return support::RequestBytes(path, "127.0.0.1:" + std::to_string(port), "urn:test/Do",
                                 contentType, body);
}

std::string Fault(const std::string& text) {
    return support::FaultEnvelope("soap:Client", text);
}

enum class Outcome { Success, Status, Answer, Fault };

struct AnswerCase {
    const char* what;
    std::string rawAnswer;
    Outcome outcome;
    int status;        // for Status and Fault
    std::string text;  // fault text, or a piece every other error message holds
};

void ExpectOutcome(const AnswerCase& c, const std::string& endpoint) {
    SCOPED_TRACE(c.what);
    soap::Client client(kTestService, {.endpoint = endpoint});
    try {
        EXPECT_EQ(client.Call(kNotify, {}), std::nullopt);
        EXPECT_EQ(c.outcome, Outcome::Success);
    } catch (const soap::Fault& e) {
        EXPECT_EQ(c.outcome, Outcome::Fault);
        EXPECT_EQ(std::string(e.what()), c.text);
        EXPECT_EQ(e.status(), c.status);
        EXPECT_EQ(e.endpoint(), endpoint);
    } catch (const soap::StatusError& e) {
        EXPECT_EQ(c.outcome, Outcome::Status) << e.what();
        EXPECT_EQ(e.status(), c.status);
        EXPECT_NE(std::string(e.what()).find(endpoint), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("HTTP status " + std::to_string(c.status)),
                  std::string::npos)
            << e.what();
    } catch (const soap::AnswerError& e) {
        EXPECT_EQ(c.outcome, Outcome::Answer) << e.what();
        EXPECT_NE(std::string(e.what()).find(endpoint), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
    }
}

TEST(SoapRequest, IsSentExactlyWithEitherContentType) {
    RawHttpServer server([](const std::string&) {
        return RawHttpServer::Answer(
            "200 OK", support::AnswerEnvelope("<ListResponse><ListResult>x</ListResult>"
                                              "</ListResponse>"));
    });

    soap::Client withCharset(kEscapedService,
                             {.endpoint = server.url("/svc.asmx"), .utf8ContentType = true});
    withCharset.Call(kReport, {std::string("a+b 中文 <&> \"q\" x\r\ny"), 1200.0f, 57.43f,
                               int64_t{-9000000000}, std::string()});
    soap::Client plain(kEscapedService, {.endpoint = server.url("/Query.asmx")});
    plain.Call(kList, {});

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0],
              ExpectedRequest(server.port(), "/svc.asmx", "text/xml; charset=\"utf-8\"",
                              support::RequestEnvelope(
                                  "<Report xmlns=\"urn:test&amp;&quot;ns&quot;\">"
                                  "<Text>a+b 中文 &lt;&amp;&gt; &quot;q&quot; x&#13;\ny</Text>"
                                  "<Low>1200</Low><High>57.4300003051758</High>"
                                  "<Count>-9000000000</Count><Empty></Empty></Report>")));
    EXPECT_EQ(requests[1],
              ExpectedRequest(
                  server.port(), "/Query.asmx", "text/xml",
                  support::RequestEnvelope("<List xmlns=\"urn:test&amp;&quot;ns&quot;\"></List>")));
}

TEST(SoapAnswer, StatusAndEnvelopeDecideTheOutcome) {
    const std::string ok = "200 OK";
    const AnswerCase cases[] = {
        {"response element", RawHttpServer::Answer(ok, AnswerEnvelope("<NotifyResponse/>")),
         Outcome::Success, 0, ""},
        {"header and response",
         RawHttpServer::Answer(ok,
                               "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/"
                               "envelope/\"><e:Header/><e:Body><R/></e:Body></e:Envelope>"),
         Outcome::Success, 0, ""},
        {"404", RawHttpServer::Answer("404 Not Found", "<html>gone</html>"), Outcome::Status, 404,
         ""},
        {"302", RawHttpServer::Answer("302 Found", "", "Location: /elsewhere\r\n"), Outcome::Status,
         302, ""},
        {"500 with a fault",
         RawHttpServer::Answer("500 Internal Server Error",
                               Fault("Server did not recognize the value of HTTP Header "
                                     "SOAPAction: &lt;x&gt;.")),
         Outcome::Fault, 500, "Server did not recognize the value of HTTP Header SOAPAction: <x>."},
        {"200 with a fault", RawHttpServer::Answer(ok, Fault("故障")), Outcome::Fault, 200, "故障"},
        {"500 without a fault",
         RawHttpServer::Answer("500 Internal Server Error", AnswerEnvelope("<NotifyResponse/>")),
         Outcome::Status, 500, ""},
        {"500 with a page", RawHttpServer::Answer("500 Internal Server Error", "<html>oops"),
         Outcome::Answer, 0, "HTTP status 500"},
        {"200 empty", RawHttpServer::Answer(ok, ""), Outcome::Answer, 0, "not XML"},
        {"204", RawHttpServer::Answer("204 No Content", ""), Outcome::Answer, 0, "not XML"},
        {"200 not SOAP", RawHttpServer::Answer(ok, "<html><body>hello</body></html>"),
         Outcome::Answer, 0, "not a SOAP 1.1 envelope"},
        {"SOAP 1.2 envelope",
         RawHttpServer::Answer(ok,
                               "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/"
                               "soap-envelope\"><e:Body><R/></e:Body></e:Envelope>"),
         Outcome::Answer, 0, "not a SOAP 1.1 envelope"},
        {"two bodies", RawHttpServer::Answer(ok, AnswerEnvelope("<R/></soap:Body><soap:Body><R/>")),
         Outcome::Answer, 0, "second Body"},
        {"two headers",
         RawHttpServer::Answer(ok,
                               "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/"
                               "envelope/\"><e:Header/><e:Header/><e:Body><R/></e:Body>"
                               "</e:Envelope>"),
         Outcome::Answer, 0, "second Header"},
        {"no body",
         RawHttpServer::Answer(ok,
                               "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/"
                               "envelope/\"/>"),
         Outcome::Answer, 0, "no Body"},
        {"empty body", RawHttpServer::Answer(ok, AnswerEnvelope("")), Outcome::Answer, 0,
         "Body is empty"},
        {"a document type declaration",
         RawHttpServer::Answer(ok, AnswerEnvelope("<NotifyResponse/>", "<!DOCTYPE soap:Envelope>")),
         Outcome::Answer, 0, "the answer carries a document type declaration"},
    };
    for (const AnswerCase& c : cases) {
        RawHttpServer server([&](const std::string&) { return c.rawAnswer; });
        ExpectOutcome(c, server.url("/svc.asmx"));
    }
}

TEST(SoapTransport, FailsWhenNobodyListens) {
    std::string endpoint;
    {
        RawHttpServer closed([](const std::string&) { return std::nullopt; });
        endpoint = closed.url("/svc.asmx");
    }
    soap::Client client(kTestService, {.endpoint = endpoint});
    try {
        client.Call(kNotify, {});
        FAIL() << "no error";
    } catch (const soap::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find(endpoint), std::string::npos) << e.what();
    }
}

TEST(SoapTransport, GivesUpOnAServerThatNeverAnswers) {
    RawHttpServer stalled([](const std::string&) { return std::nullopt; });
    soap::Client client(kTestService, {.endpoint = stalled.url("/svc.asmx"),
                                       .timeouts = {.total = std::chrono::milliseconds(200)}});
    try {
        client.Call(kNotify, {});
        FAIL() << "no error";
    } catch (const soap::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find("timed out"), std::string::npos) << e.what();
    }
    EXPECT_EQ(stalled.requests().size(), 1u);
}

TEST(SoapTransport, RefusesAnAnswerLargerThan32MiB) {
    // With and without a length announced up front: neither grows the answer past the cap.
    const std::string huge =
        AnswerEnvelope("<FetchResponse><FetchResult>" + std::string(soap::kMaxAnswerBytes, 'x') +
                       "</FetchResult></FetchResponse>");
    for (const std::string& answer :
         {RawHttpServer::Answer("200 OK", huge), "HTTP/1.0 200 OK\r\n\r\n" + huge}) {
        RawHttpServer server([&](const std::string&) { return answer; });
        soap::Client client(kTestService, {.endpoint = server.url("/Query.asmx")});
        try {
            client.Call(kFetch, {});
            ADD_FAILURE() << "no error";
        } catch (const soap::AnswerError& e) {
            EXPECT_NE(std::string(e.what()).find("larger than 32 MiB"), std::string::npos)
                << e.what();
        }
    }
}

}  // namespace
