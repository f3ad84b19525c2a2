#include "soap/Client.h"
#include "soap/Errors.h"

#include "RawHttpServer.h"
#include "SoapTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>

namespace {

using soaptest::AnswerEnvelope;
using testsupport::RawHttpServer;

const soap::Interface Service{.targetNamespace = "urn:test", .soapAction = "urn:test/Do"};
const soap::Operation Notify{.name = "Notify", .inputs = {}, .hasResult = false};
const soap::Operation Fetch{.name = "Fetch", .inputs = {}, .hasResult = true};

std::string Fault(const std::string& text) {
    return AnswerEnvelope("<soap:Fault><faultcode>soap:Client</faultcode><faultstring>" + text +
                          "</faultstring><detail/></soap:Fault>");
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
    soap::Client client(Service, {.endpoint = endpoint});
    try {
        EXPECT_EQ(client.Call(Notify, {}), std::nullopt);
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
    };
    for (const AnswerCase& c : cases) {
        RawHttpServer server([&](const std::string&) { return c.rawAnswer; });
        ExpectOutcome(c, server.url("/svc.asmx"));
    }
}

TEST(SoapAnswer, ResultIsTheOnlyChildOrTheResultOrReturnElement) {
    const struct {
        const char* response;
        std::optional<std::string> result;  // nullopt: the call fails
    } cases[] = {
        {"<FetchResponse><FetchResult>&lt;list a=\"1\"/&gt;</FetchResult></FetchResponse>",
         "<list a=\"1\"/>"},
        {"<FetchResponse><anything>中文</anything></FetchResponse>", "中文"},
        {"<FetchResponse><only/></FetchResponse>", ""},
        {"<FetchResponse><first>1</first><Result>2</Result></FetchResponse>", "2"},
        {"<FetchResponse><a>1</a><RETURN>2</RETURN><result>3</result></FetchResponse>", "2"},
        {"<r:FetchResponse xmlns:r=\"urn:x\"><r:a>1</r:a><r:Result>2</r:Result>"
         "</r:FetchResponse>",
         "2"},
        {"<FetchResponse><a>1</a><FetchResult>2</FetchResult></FetchResponse>", std::nullopt},
        {"<FetchResponse>text only</FetchResponse>", std::nullopt},
        {"<FetchResponse/>", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.response);
        RawHttpServer server([&](const std::string&) {
            return RawHttpServer::Answer("200 OK", AnswerEnvelope(c.response));
        });
        soap::Client client(Service, {.endpoint = server.url("/Query.asmx")});
        if (c.result) {
            EXPECT_EQ(client.Call(Fetch, {}), c.result);
        } else {
            EXPECT_THROW(client.Call(Fetch, {}), soap::AnswerError);
        }
    }
}

TEST(SoapTransport, FailsWhenNobodyListens) {
    std::string endpoint;
    {
        RawHttpServer closed([](const std::string&) { return std::nullopt; });
        endpoint = closed.url("/svc.asmx");
    }
    soap::Client client(Service, {.endpoint = endpoint});
    try {
        client.Call(Notify, {});
        FAIL() << "no error";
    } catch (const soap::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find(endpoint), std::string::npos) << e.what();
    }
}

TEST(SoapTransport, GivesUpOnAServerThatNeverAnswers) {
    RawHttpServer stalled([](const std::string&) { return std::nullopt; });
    soap::Client client(Service, {.endpoint = stalled.url("/svc.asmx"),
                                  .callTimeout = std::chrono::milliseconds(200)});
    try {
        client.Call(Notify, {});
        FAIL() << "no error";
    } catch (const soap::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find("timed out"), std::string::npos) << e.what();
    }
    EXPECT_EQ(stalled.requests().size(), 1u);
}

}  // namespace
