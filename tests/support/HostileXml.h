#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace support {

// A document type declaration for the root element `root` that defines one internal entity,
// "e", of 10,000 characters. Put before the root element.
std::string ExpandingDoctype(const std::string& root);

// count references to the entity "e". Small on the wire, huge once read as text: 250,000 of
// them make a 1 MB document whose text is 2.5 GB.
std::string EntityReferences(size_t count);

// For the child of a death test: caps the memory the process may allocate (its data size) to
// bytes, so that a regression that expands a hostile document fails for want of memory instead
// of exhausting the machine, runs body and ends the process: status 0 when body returned, 1 when
// it threw, with the exception's text on standard error.
[[noreturn]] void RunUnderMemoryCap(size_t bytes, const std::function<void()>& body);

}  // namespace support
