#pragma once

#include <libxml/xmlwriter.h>

#include <string>
#include <string_view>

namespace sandbox {

// Builds an XML answer with libxml2's writer, which does the escaping. Nothing is indented.
class XmlOut {
  public:
    XmlOut();
    ~XmlOut();
    XmlOut(const XmlOut&) = delete;
    XmlOut& operator=(const XmlOut&) = delete;

    // Bytes written as they stand (a declaration of a particular form).
    XmlOut& Raw(std::string_view text);
    XmlOut& Declaration();  // <?xml version="1.0" encoding="utf-8"?>
    XmlOut& Start(std::string_view name);
    XmlOut& Attribute(std::string_view name, std::string_view value);
    XmlOut& Text(std::string_view text);
    XmlOut& Leaf(std::string_view name, std::string_view text);
    XmlOut& End();
    // Closes what is open and hands over the document.
    std::string Finish();

  private:
    void Check(int result) const;
    xmlBufferPtr buffer_;
    xmlTextWriterPtr writer_;
};

}  // namespace sandbox
