#include "sandbox/XmlOut.h"

#include <stdexcept>

namespace sandbox {
namespace {

// The writer wants NUL-terminated names and texts.
const xmlChar* X(const std::string& text) {
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

}  // namespace

XmlOut::XmlOut() : buffer_(xmlBufferCreate()), writer_(nullptr) {
    if (buffer_ == nullptr || (writer_ = xmlNewTextWriterMemory(buffer_, 0)) == nullptr) {
        xmlBufferFree(buffer_);
        throw std::runtime_error("cannot create an XML writer");
    }
}

XmlOut::~XmlOut() {
    xmlFreeTextWriter(writer_);
    xmlBufferFree(buffer_);
}

void XmlOut::Check(int result) const {
    if (result < 0) {
        throw std::runtime_error("the XML writer failed");
    }
}

XmlOut& XmlOut::Raw(std::string_view text) {
    Check(xmlTextWriterWriteRaw(writer_, X(std::string(text))));
    return *this;
}

XmlOut& XmlOut::Declaration() {
    return Raw("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
}

XmlOut& XmlOut::Start(std::string_view name) {
    Check(xmlTextWriterStartElement(writer_, X(std::string(name))));
    return *this;
}

XmlOut& XmlOut::Attribute(std::string_view name, std::string_view value) {
    Check(xmlTextWriterWriteAttribute(writer_, X(std::string(name)), X(std::string(value))));
    return *this;
}

XmlOut& XmlOut::Text(std::string_view text) {
    Check(xmlTextWriterWriteString(writer_, X(std::string(text))));
    return *this;
}

XmlOut& XmlOut::Leaf(std::string_view name, std::string_view text) {
    return Start(name).Text(text).End();
}

XmlOut& XmlOut::End() {
    Check(xmlTextWriterEndElement(writer_));
    return *this;
}

std::string XmlOut::Finish() {
    Check(xmlTextWriterEndDocument(writer_));
    Check(xmlTextWriterFlush(writer_));
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer_)),
                       static_cast<size_t>(xmlBufferLength(buffer_)));
}

}  // namespace sandbox
