#include "base/Xml.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <climits>
#include <mutex>
#include <new>

namespace base {
namespace {

struct FirstError {
    bool seen = false;
    std::string message;
    int line = 0;
    int column = 0;
};

// Called by libxml2, so nothing may leave it: a message that cannot be copied is left empty,
// which still fails the parse.
void CollectFirstError(void* context, xmlErrorPtr error) noexcept {
    auto* first = static_cast<FirstError*>(context);
    if (first->seen || error == nullptr || error->level < XML_ERR_ERROR) {
        return;
    }
    first->seen = true;
    first->line = error->line;
    first->column = error->int2;
    try {
        first->message = error->message != nullptr ? error->message : "unknown XML error";
        while (!first->message.empty() &&
               (first->message.back() == '\n' || first->message.back() == '\r')) {
            first->message.pop_back();
        }
    } catch (...) {
        first->message.clear();
    }
}

struct ParserContextFree {
    void operator()(xmlParserCtxtPtr context) const { xmlFreeParserCtxt(context); }
};

// Called by the parser right after the name of a document type declaration, before its internal
// subset: stopping here means no entity of it is ever declared, let alone expanded.
void StopAtDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) noexcept {
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    *static_cast<bool*>(parser->_private) = true;
    xmlStopParser(parser);
}

// libxml2 keeps the error handler per thread; put back whatever was there before.
class ErrorHandlerScope {
  public:
    explicit ErrorHandlerScope(FirstError* sink)
        : previousHandler_(xmlStructuredError), previousContext_(xmlStructuredErrorContext) {
        xmlSetStructuredErrorFunc(sink, CollectFirstError);
    }
    ~ErrorHandlerScope() { xmlSetStructuredErrorFunc(previousContext_, previousHandler_); }
    ErrorHandlerScope(const ErrorHandlerScope&) = delete;
    ErrorHandlerScope& operator=(const ErrorHandlerScope&) = delete;

  private:
    xmlStructuredErrorFunc previousHandler_;
    void* previousContext_;
};

bool IsBlankText(const xmlNode* node) {
    if (node->type != XML_TEXT_NODE || node->content == nullptr) {
        return false;
    }
    for (const xmlChar* c = node->content; *c != 0; ++c) {
        if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n') {
            return false;
        }
    }
    return true;
}

void DropBlankText(xmlNodePtr parent) {
    xmlNodePtr child = parent->children;
    while (child != nullptr) {
        xmlNodePtr next = child->next;
        if (IsBlankText(child)) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        } else if (child->type == XML_ELEMENT_NODE) {
            DropBlankText(child);
        }
        child = next;
    }
}

}  // namespace

XmlParseError::XmlParseError(std::string reason, int line, int column)
    : std::runtime_error(reason), reason_(std::move(reason)), line_(line), column_(column) {}

XmlDoctypeError::XmlDoctypeError()
    : XmlParseError("the document carries a document type declaration", 1, 0) {}

XmlValueError::XmlValueError()
    : std::runtime_error("Element does not contain a single text node") {}

void RegisterXmlEncodingAliases() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlAddEncodingAlias("GBK", "GB2312");
    });
}

XmlDocument XmlDocument::Parse(std::string_view bytes, const XmlParseOptions& options) {
    RegisterXmlEncodingAliases();
    if (bytes.size() > static_cast<size_t>(INT_MAX)) {
        throw XmlParseError("document too large", 0, 0);
    }
    const std::unique_ptr<xmlParserCtxt, ParserContextFree> parser(xmlNewParserCtxt());
    if (!parser) {
        throw std::bad_alloc();
    }
    bool doctype = false;
    if (options.refuseDoctype) {
        parser->_private = &doctype;
        parser->sax->internalSubset = StopAtDoctype;
    }
    FirstError first;
    xmlDocPtr doc = nullptr;
    {
        ErrorHandlerScope scope(&first);
        doc = xmlCtxtReadMemory(
            parser.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
            options.forcedEncoding.empty() ? nullptr : options.forcedEncoding.c_str(),
            XML_PARSE_NONET | XML_PARSE_NOWARNING);
    }
    if (doctype) {
        xmlFreeDoc(doc);
        throw XmlDoctypeError();
    }
    if (doc == nullptr || first.seen) {
        xmlFreeDoc(doc);
        if (!first.seen) {
            first.message = "Document is empty";
            first.line = 1;
        }
        throw XmlParseError(first.message.empty() ? "unknown XML error" : first.message, first.line,
                            first.column);
    }
    XmlDocument result(doc);
    if (options.dropBlankText) {
        DropBlankText(reinterpret_cast<xmlNodePtr>(doc));
    }
    return result;
}

xmlNodePtr XmlDocument::Root() const {
    return xmlDocGetRootElement(doc_.get());
}

std::string XmlDocument::ToUtf8() const {
    xmlChar* buffer = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc_.get(), &buffer, &size, "UTF-8", 1);
    std::string text(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
    xmlFree(buffer);
    return text;
}

std::string XmlEscape(std::string_view text) {
    const std::unique_ptr<xmlChar, decltype(xmlFree)> escaped(
        xmlEncodeSpecialChars(nullptr, reinterpret_cast<const xmlChar*>(std::string(text).c_str())),
        xmlFree);
    if (!escaped) {
        throw std::bad_alloc();
    }
    return reinterpret_cast<const char*>(escaped.get());
}

std::string NodeName(const xmlNode* node) {
    return node != nullptr && node->name != nullptr ? reinterpret_cast<const char*>(node->name)
                                                    : "";
}

xmlNodePtr FindChild(const xmlNode* parent, std::string_view name) {
    if (parent == nullptr) {
        return nullptr;
    }
    for (xmlNodePtr child = parent->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && NodeName(child) == name) {
            return child;
        }
    }
    return nullptr;
}

std::optional<std::string> ElementValue(const xmlNode* element) {
    if (element == nullptr || element->children == nullptr) {
        return std::nullopt;
    }
    const xmlNode* only = element->children;
    const bool single = only->next == nullptr &&
                        (only->type == XML_TEXT_NODE || only->type == XML_CDATA_SECTION_NODE);
    if (!single) {
        throw XmlValueError();
    }
    if (only->content == nullptr || *only->content == 0) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(only->content));
}

}  // namespace base
