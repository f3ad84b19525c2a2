#include "soap/Client.h"
#include "soap/Envelope.h"

#include "RawHttpServer.h"
#include "SoapTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

using soap::ParamType;

const soap::Interface Service{.targetNamespace = "urn:test&\"ns\"", .soapAction = "urn:test/Do"};

const soap::Operation Report{.name = "Report",
                             .inputs = {{"Text", ParamType::String},
                                        {"Low", ParamType::Float},
                                        {"High", ParamType::Float},
                                        {"Count", ParamType::Int64},
                                        {"Empty", ParamType::String}},
                             .hasResult = false};

const soap::Operation List{.name = "List", .inputs = {}, .hasResult = true};

constexpr const char* EnvelopeHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body>";
constexpr const char* EnvelopeTail = "</SOAP-ENV:Body></SOAP-ENV:Envelope>";

std::string ExpectedRequest(int port, const std::string& path, const std::string& contentType,
                            const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nSOAPAction: \"urn:test/Do\"\r\nContent-Type: " + contentType +
           "\r\nUser-Agent: Vexmoor-SOAP/1.0\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: Keep-Alive\r\n\r\n" + body;
}

TEST(SoapRequest, IsSentExactlyWithEitherContentType) {
    testsupport::RawHttpServer server([](const std::string&) {
        return testsupport::RawHttpServer::Answer(
            "200 OK", soaptest::AnswerEnvelope("<ListResponse><ListResult>x</ListResult>"
                                               "</ListResponse>"));
    });

    soap::Client withCharset(Service,
                             {.endpoint = server.url("/svc.asmx"), .utf8ContentType = true});
    withCharset.Call(Report, {std::string("a+b 中文 <&> \"q\" x\r\ny"), 1200.0f, 57.43f,
                              int64_t{-9000000000}, std::string()});
    soap::Client plain(Service, {.endpoint = server.url("/Query.asmx")});
    plain.Call(List, {});

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0],
              ExpectedRequest(server.port(), "/svc.asmx", "text/xml; charset=\"utf-8\"",
                              std::string(EnvelopeHead) +
                                  "<Report xmlns=\"urn:test&amp;&quot;ns&quot;\">"
                                  "<Text>a+b 中文 &lt;&amp;&gt; &quot;q&quot; x&#13;\ny</Text>"
                                  "<Low>1200</Low><High>57.4300003051758</High>"
                                  "<Count>-9000000000</Count><Empty></Empty></Report>" +
                                  EnvelopeTail));
    EXPECT_EQ(
        requests[1],
        ExpectedRequest(server.port(), "/Query.asmx", "text/xml",
                        std::string(EnvelopeHead) +
                            "<List xmlns=\"urn:test&amp;&quot;ns&quot;\"></List>" + EnvelopeTail));
}

TEST(SoapValueText, WritesFloatsWidenedWithFifteenDigits) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.0f, "0"},
        {100.0f, "100"},
        {1200.0f, "1200"},
        {12.3f, "12.3000001907349"},
        {57.43f, "57.4300003051758"},
        {-0.5f, "-0.5"},
        {std::numeric_limits<float>::quiet_NaN(), "NaN"},
        {std::numeric_limits<float>::infinity(), "INF"},
        {-std::numeric_limits<float>::infinity(), "-INF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(soap::ValueText(c.value), c.text) << c.text;
    }
    EXPECT_EQ(soap::ValueText(int64_t{0}), "0");
    EXPECT_EQ(soap::ValueText(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

TEST(SoapRequest, RefusesArgumentsThatDoNotFitTheOperation) {
    const std::vector<std::vector<soap::Value>> wrong = {
        {},
        {std::string("k"), 1.0f, 2.0f, int64_t{3}},
        {std::string("k"), 1.0f, 2.0f, 3.0f, std::string()},
        {std::string("bell\a"), 1.0f, 2.0f, int64_t{3}, std::string()},
        {std::string("broken \xE4\xB8"), 1.0f, 2.0f, int64_t{3}, std::string()},
    };
    for (const auto& arguments : wrong) {
        EXPECT_THROW(soap::BuildRequest(Service, Report, arguments), std::invalid_argument);
    }
}

}  // namespace
