#pragma once

#include <string>

namespace soaptest {

// A SOAP 1.1 answer envelope around the given Body content.
inline std::string AnswerEnvelope(const std::string& bodyContent) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<soap:Body>" +
           bodyContent + "</soap:Body></soap:Envelope>";
}

}  // namespace soaptest
