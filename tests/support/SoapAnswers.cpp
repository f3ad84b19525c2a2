#include "support/SoapAnswers.h"

namespace support {

std::string AnswerEnvelope(const std::string& bodyContent, const std::string& declaration) {
    return declaration + "<soap:Envelope xmlns:soap=\"" + kSoap11Envelope + "\"><soap:Body>" +
           bodyContent + "</soap:Body></soap:Envelope>";
}

std::string FaultEnvelope(const std::string& code, const std::string& text) {
    return AnswerEnvelope("<soap:Fault><faultcode>" + code + "</faultcode><faultstring>" + text +
                          "</faultstring><detail/></soap:Fault>");
}

std::string AddSubResponse() {
    return AnswerEnvelope("<AddSubResponse xmlns=\"SearchAddIn\" />");
}

std::string RequestEnvelope(const std::string& bodyContent, const std::string& envelopeNamespace) {
    return kUtf8Declaration + "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"" + envelopeNamespace +
           "\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body>" +
           bodyContent + "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

std::string RequestBytes(const std::string& target, const std::string& host,
                         const std::string& soapAction, const std::string& contentType,
                         const std::string& body) {
    return "POST " + target + " HTTP/1.1\r\nHost: " + host + "\r\nSOAPAction: \"" + soapAction +
           "\"\r\nContent-Type: " + contentType +
           "\r\nUser-Agent: Vexmoor-SOAP/1.0\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: Keep-Alive\r\n\r\n" + body;
}

}  // namespace support
