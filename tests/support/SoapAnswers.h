#pragma once

#include <string>

// SOAP 1.1 messages as they go on the wire: the services' answers, and the requests the
// programs' SOAP client sends.
namespace support {

inline const std::string kSoap11Envelope = "http://schemas.xmlsoap.org/soap/envelope/";
inline const std::string kUtf8Declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

// A SOAP 1.1 answer envelope, prefix "soap", around the given Body content.
std::string AnswerEnvelope(const std::string& bodyContent,
                           const std::string& declaration = kUtf8Declaration);

// An answer envelope holding a fault with this code and faultstring (both inserted as they are).
std::string FaultEnvelope(const std::string& code, const std::string& text);

// The usage-report service's answer to a report it took.
std::string AddSubResponse();

// A request envelope as the SOAP client writes it, prefix "SOAP-ENV" and the XML Schema
// namespaces declared, around the given Body content; envelopeNamespace makes it another
// version's.
std::string RequestEnvelope(const std::string& bodyContent,
                            const std::string& envelopeNamespace = kSoap11Envelope);

// A whole request as the SOAP client sends it: its HTTP/1.1 head for target on host ("name:port")
// with the SOAPAction quoted, then body.
std::string RequestBytes(const std::string& target, const std::string& host,
                         const std::string& soapAction, const std::string& contentType,
                         const std::string& body);

}  // namespace support
