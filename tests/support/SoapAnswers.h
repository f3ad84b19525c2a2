#pragma once

#include <string>

namespace support {

// A SOAP 1.1 answer envelope, prefix "soap", around the given Body content.
std::string AnswerEnvelope(
    const std::string& bodyContent,
    const std::string& declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>");

// An answer envelope holding a fault with this code and faultstring (both inserted as they are).
std::string FaultEnvelope(const std::string& code, const std::string& text);

// The usage-report service's answer to a report it took.
std::string AddSubResponse();

}  // namespace support
