#include "updater/ListedName.h"

#include <algorithm>

namespace updater {

std::optional<std::string> StoredName(std::string_view listed) {
    if (listed.empty() || listed.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string name(listed);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.front() == '/') {
        return std::nullopt;
    }
    std::string_view rest = name;
    for (;;) {
        const size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        if (segment == "..") {
            return std::nullopt;
        }
        if (slash == std::string_view::npos) {
            // The last segment is the file itself.
            if (segment.empty() || segment == ".") {
                return std::nullopt;
            }
            return name;
        }
        rest.remove_prefix(slash + 1);
    }
}

}  // namespace updater
