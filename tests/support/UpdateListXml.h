#pragma once

#include <string>
#include <vector>

namespace support {

// One file of an update list.
struct ListedFile {
    std::string name;
    std::string version;
    // Where it is downloaded from, "{SANDBOX}" standing for the sandbox's address; empty: the
    // sandbox's file of the same name, "{SANDBOX}/files/" + name.
    std::string url{};
};

// An update list naming the files in order, one File element a line, the values inserted as
// they are.
std::string UpdateListXml(const std::vector<ListedFile>& files);

}  // namespace support
