#pragma once

#include "soap/Interface.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace soap {

inline constexpr std::string_view EnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";

// The request document: XML declaration, an Envelope declaring the SOAP-ENV, xsd and xsi
// prefixes, no Header, and a Body holding the operation element with the interface's namespace
// as its default namespace and one child per argument. Throws std::invalid_argument when the
// arguments do not match the declared parameters or a string holds something XML cannot carry
// (a control character, broken UTF-8).
std::string BuildRequest(const Interface& interface, const Operation& operation,
                         const std::vector<Value>& arguments);

// The text of one argument on the wire: strings escaped as character data, integers in
// decimal, floats widened to double in the general number format ("NaN", "INF", "-INF").
std::string ValueText(const Value& value);

// Reads an answer body of HTTP status 2xx or 500. Returns the result text for an operation
// with a result, blanks kept, std::nullopt otherwise. Throws Fault for a SOAP fault and
// AnswerError for anything that is not an answer of the expected shape, a body with a document
// type declaration included (refused before any of its text is read); endpoint and status go
// into the errors.
std::optional<std::string> ReadAnswer(std::string_view body, const Operation& operation,
                                      const std::string& endpoint, int status);

}  // namespace soap
