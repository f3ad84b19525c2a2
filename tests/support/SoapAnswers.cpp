#include "support/SoapAnswers.h"

namespace support {

std::string AnswerEnvelope(const std::string& bodyContent, const std::string& declaration) {
    return declaration +
           "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<soap:Body>" +
           bodyContent + "</soap:Body></soap:Envelope>";
}

std::string FaultEnvelope(const std::string& code, const std::string& text) {
    return AnswerEnvelope("<soap:Fault><faultcode>" + code + "</faultcode><faultstring>" + text +
                          "</faultstring><detail/></soap:Fault>");
}

std::string AddSubResponse() {
    return AnswerEnvelope("<AddSubResponse xmlns=\"SearchAddIn\" />");
}

}  // namespace support
