#pragma once

#include <libxml/tree.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace base {

// A document that could not be parsed. reason() is the parser's first complaint, which names
// the real fault; the later ones only follow from it.
class XmlParseError : public std::runtime_error {
  public:
    XmlParseError(std::string reason, int line, int column);
    const std::string& reason() const { return reason_; }
    int line() const { return line_; }
    int column() const { return column_; }

  private:
    std::string reason_;
    int line_;
    int column_;
};

// A document refused because it carries a document type declaration: what such a declaration
// may define (entities that expand a small document into gigabytes of text) is never read.
class XmlDoctypeError : public XmlParseError {
  public:
    XmlDoctypeError();
};

// A value read from an element that holds something other than one text or CDATA node.
class XmlValueError : public std::runtime_error {
  public:
    XmlValueError();
};

struct XmlParseOptions {
    // Decode as this encoding whatever the document declares; empty: by its own declaration
    // (UTF-8 when it declares none).
    std::string forcedEncoding{};
    // Drop text nodes that hold only blanks, tabs and line breaks, as the element-only
    // documents of the marketplace and the update lists are meant to be read.
    bool dropBlankText = true;
    // Refuse any document type declaration before anything it declares is read, as SOAP does.
    bool refuseDoctype = false;
};

// An owned libxml2 document. Never reads the network or external entities.
class XmlDocument {
  public:
    // Throws XmlParseError when bytes are not a well-formed document (an empty text included),
    // XmlDoctypeError when the options refuse its document type declaration.
    static XmlDocument Parse(std::string_view bytes, const XmlParseOptions& options = {});

    xmlNodePtr Root() const;
    xmlDocPtr Get() const { return doc_.get(); }

    // The document as libxml2 writes it, in UTF-8 with its declaration.
    std::string ToUtf8() const;

  private:
    struct Free {
        void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
    };
    explicit XmlDocument(xmlDocPtr doc) : doc_(doc) {}
    std::unique_ptr<xmlDoc, Free> doc_;
};

// The name of a node as UTF-8 text (empty for nodes without one).
std::string NodeName(const xmlNode* node);

// The first child element of parent named exactly name, or nullptr. A missing child reads like
// an empty element: ElementValue(nullptr) is null.
xmlNodePtr FindChild(const xmlNode* parent, std::string_view name);

// The value of an element: null when it is absent, has no children or only one empty text;
// the text when it holds one text or CDATA node; anything else throws XmlValueError
// ("Element does not contain a single text node").
std::optional<std::string> ElementValue(const xmlNode* element);

// Text as XML character data or an attribute value: & < > " as entities, a carriage return as
// "&#13;" so that a reader's line-end normalisation keeps it. Throws std::bad_alloc.
std::string XmlEscape(std::string_view text);

// Makes libxml2 decode the label GB2312 as GBK, as browsers and Windows do. Idempotent; Parse
// calls it, so only code that uses libxml2 directly needs it.
void RegisterXmlEncodingAliases();

}  // namespace base
