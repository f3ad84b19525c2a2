#include "soap/Envelope.h"
#include "soap/Errors.h"

#include "support/HostileXml.h"
#include "support/SoapAnswers.h"
#include "support/SoapTestService.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <stdexcept>

namespace {

using support::AnswerEnvelope;
using support::kEscapedService;
using support::kFetch;
using support::kNotify;
using support::kReport;

const std::string kEndpoint = "http://127.0.0.1:8080/svc.asmx";

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
        EXPECT_THROW(soap::BuildRequest(kEscapedService, kReport, arguments),
                     std::invalid_argument);
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
        {"<FetchResponse>\n  <FetchResult> \r\n </FetchResult>\n</FetchResponse>", " \n "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.response);
        const std::string answer = AnswerEnvelope(c.response);
        if (c.result) {
            EXPECT_EQ(soap::ReadAnswer(answer, kFetch, kEndpoint, 200), c.result);
        } else {
            EXPECT_THROW(soap::ReadAnswer(answer, kFetch, kEndpoint, 200), soap::AnswerError);
        }
    }
}

TEST(SoapAnswer, RefusesADocumentTypeDeclarationBeforeReadingAnyText) {
    // 1 MB of fault whose faultstring would be 2.5 GB of text once its references were expanded.
    // Under a memory cap far below that, the answer must be refused at once, whole.
    const std::string hostile = AnswerEnvelope(
        "<soap:Fault><faultcode>soap:Server</faultcode><faultstring>" +
            support::EntityReferences(250'000) + "</faultstring></soap:Fault>",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + support::ExpandingDoctype("soap:Envelope"));
    EXPECT_EXIT(support::RunUnderMemoryCap(
                    256 << 20, [&] { soap::ReadAnswer(hostile, kNotify, kEndpoint, 500); }),
                testing::ExitedWithCode(1), "the answer carries a document type declaration");
}

}  // namespace
