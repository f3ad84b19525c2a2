#pragma once

#include "base/Xml.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

// An update list that cannot be read: not well-formed, or an entry that lacks a value or holds an
// empty one. A value element with more than its one text node throws base::XmlValueError instead.
// The texts are the ones the upgrade window shows the user.
class UpdateListError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The values of one entry, position 0 first.
using UpdateListEntry = std::vector<std::string>;

// Parses an update list, decoded by its own declaration (UTF-8 when it declares none) unless the
// options force an encoding. When the text is not well-formed, the error reads: the parser's
// reason, CR LF, "Line: " and the line number, CR LF, and the first 40 characters of that line.
base::XmlDocument ParseUpdateList(std::string_view bytes,
                                  const base::XmlParseOptions& options = {});

// Reads every child node of the document element as one entry, by position only: names and
// attributes are never looked at. Values 0 to positions - 1 are read; later ones are ignored.
std::vector<UpdateListEntry> ReadUpdateListEntries(const base::XmlDocument& doc, size_t positions);

// Reads the whole file at path and returns its entries as ReadUpdateListEntries does.
std::vector<UpdateListEntry> ReadUpdateListFile(const std::string& path, size_t positions);

}  // namespace updater
