#include "soap/Envelope.h"

#include "base/AsciiCase.h"
#include "base/Encoding.h"
#include "base/Numbers.h"
#include "base/Xml.h"
#include "soap/Errors.h"

#include <libxml/tree.h>

#include <memory>
#include <stdexcept>

namespace soap {
namespace {

constexpr std::string_view EnvelopeOpening =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<SOAP-ENV:Envelope"
    " xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
    "<SOAP-ENV:Body>";
constexpr std::string_view EnvelopeClosing = "</SOAP-ENV:Body></SOAP-ENV:Envelope>";

// XML 1.0 allows no C0 control characters but tab, line feed and carriage return.
bool XmlCanCarry(std::string_view text) {
    if (!base::IsValidUtf8(text)) {
        return false;
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return false;
        }
    }
    return true;
}

bool Matches(const Value& value, ParamType type) {
    switch (type) {
        case ParamType::String:
            return std::holds_alternative<std::string>(value);
        case ParamType::Float:
            return std::holds_alternative<float>(value);
        case ParamType::Int64:
            return std::holds_alternative<int64_t>(value);
    }
    return false;
}

bool IsEnvelopeElement(const xmlNode* node, std::string_view localName) {
    return node->type == XML_ELEMENT_NODE && base::NodeName(node) == localName &&
           node->ns != nullptr && node->ns->href != nullptr &&
           reinterpret_cast<const char*>(node->ns->href) == EnvelopeNamespace;
}

const xmlNode* FirstChildElement(const xmlNode* parent) {
    for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            return child;
        }
    }
    return nullptr;
}

std::string TextOf(const xmlNode* node) {
    if (node == nullptr) {
        return "";
    }
    const std::unique_ptr<xmlChar, decltype(xmlFree)> content(xmlNodeGetContent(node), xmlFree);
    return content ? reinterpret_cast<const char*>(content.get()) : "";
}

const xmlNode* ChildByLocalName(const xmlNode* parent, std::string_view localName) {
    for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && base::NodeName(child) == localName) {
            return child;
        }
    }
    return nullptr;
}

// The only child element, or else the first one called Result or Return in any letter case.
const xmlNode* ResultElement(const xmlNode* response) {
    const xmlNode* only = nullptr;
    int count = 0;
    for (const xmlNode* child = response->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            only = child;
            ++count;
        }
    }
    if (count == 1) {
        return only;
    }
    for (const xmlNode* child = response->children; child != nullptr; child = child->next) {
        const std::string name = base::NodeName(child);
        if (child->type == XML_ELEMENT_NODE && (base::SameIgnoringAsciiCase(name, "result") ||
                                                base::SameIgnoringAsciiCase(name, "return"))) {
            return child;
        }
    }
    return nullptr;
}

[[noreturn]] void ThrowFault(const xmlNode* fault, const Operation& operation,
                             const std::string& endpoint, int status) {
    const std::string code = TextOf(ChildByLocalName(fault, "faultcode"));
    std::string text = TextOf(ChildByLocalName(fault, "faultstring"));
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        text = FailureMessage(operation.name, endpoint,
                              "SOAP fault " + code + " without a faultstring", status);
    }
    throw Fault(text, code, endpoint, status);
}

}  // namespace

std::string ValueText(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return base::XmlEscape(*text);
    }
    if (const auto* number = std::get_if<float>(&value)) {
        return base::FormatGeneral(static_cast<double>(*number));
    }
    return std::to_string(std::get<int64_t>(value));
}

std::string BuildRequest(const Interface& interface, const Operation& operation,
                         const std::vector<Value>& arguments) {
    if (arguments.size() != operation.inputs.size()) {
        throw std::invalid_argument("SOAP call " + operation.name + " takes " +
                                    std::to_string(operation.inputs.size()) + " arguments, not " +
                                    std::to_string(arguments.size()));
    }
    std::string body(EnvelopeOpening);
    body += "<" + operation.name + " xmlns=\"" + base::XmlEscape(interface.targetNamespace) + "\">";
    for (size_t i = 0; i < arguments.size(); ++i) {
        const Parameter& parameter = operation.inputs[i];
        const auto* text = std::get_if<std::string>(&arguments[i]);
        if (!Matches(arguments[i], parameter.type) || (text != nullptr && !XmlCanCarry(*text))) {
            throw std::invalid_argument("SOAP call " + operation.name + ": the value of " +
                                        parameter.name + " cannot be sent");
        }
        body += "<" + parameter.name + ">" + ValueText(arguments[i]) + "</" + parameter.name + ">";
    }
    body += "</" + operation.name + ">";
    body += EnvelopeClosing;
    return body;
}

std::optional<std::string> ReadAnswer(std::string_view body, const Operation& operation,
                                      const std::string& endpoint, int status) {
    const auto failure = [&](const std::string& what) {
        return FailureMessage(operation.name, endpoint, what, status);
    };
    std::optional<base::XmlDocument> document;
    try {
        // Blank text stays: a result of blanks only is a result, not an empty answer.
        document = base::XmlDocument::Parse(body, {.dropBlankText = false, .refuseDoctype = true});
    } catch (const base::XmlDoctypeError&) {
        // SOAP 1.1 forbids one, and what it may declare could expand without limit when read.
        throw AnswerError(failure("the answer carries a document type declaration"));
    } catch (const base::XmlParseError& e) {
        throw AnswerError(failure("the answer is not XML (" + e.reason() + ")"));
    }
    const xmlNode* envelope = document->Root();
    if (!IsEnvelopeElement(envelope, "Envelope")) {
        throw AnswerError(failure("the answer is not a SOAP 1.1 envelope (its root element is " +
                                  base::NodeName(envelope) + ")"));
    }
    const xmlNode* soapBody = nullptr;
    int bodies = 0;
    int headers = 0;
    for (const xmlNode* child = envelope->children; child != nullptr; child = child->next) {
        if (IsEnvelopeElement(child, "Body")) {
            soapBody = soapBody != nullptr ? soapBody : child;
            ++bodies;
        } else if (IsEnvelopeElement(child, "Header")) {
            ++headers;
        }
    }
    if (bodies > 1 || headers > 1) {
        throw AnswerError(failure(bodies > 1 ? "the answer holds a second Body element"
                                             : "the answer holds a second Header element"));
    }
    if (soapBody == nullptr) {
        throw AnswerError(failure("the answer holds no Body element"));
    }
    const xmlNode* response = FirstChildElement(soapBody);
    if (response == nullptr) {
        throw AnswerError(failure("the answer's Body is empty"));
    }
    if (base::NodeName(response) == "Fault") {
        ThrowFault(response, operation, endpoint, status);
    }
    if (!operation.hasResult) {
        return std::nullopt;
    }
    const xmlNode* result = ResultElement(response);
    if (result == nullptr) {
        throw AnswerError(failure("the response element " + base::NodeName(response) +
                                  " holds no result element"));
    }
    return TextOf(result);
}

}  // namespace soap
