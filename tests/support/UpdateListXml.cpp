#include "support/UpdateListXml.h"

namespace support {

std::string UpdateListXml(const std::vector<ListedFile>& files) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpGrade>\n";
    for (const ListedFile& file : files) {
        const std::string url = file.url.empty() ? "{SANDBOX}/files/" + file.name : file.url;
        xml += "  <File><Name>" + file.name + "</Name><Version>" + file.version +
               "</Version><URL>" + url + "</URL><Size>1</Size><Note>note</Note></File>\n";
    }
    return xml + "</UpGrade>\n";
}

}  // namespace support
