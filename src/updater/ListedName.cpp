#include "updater/ListedName.h"

#include <algorithm>
#include <filesystem>

namespace updater {

std::optional<std::string> StoredName(std::string_view listed) {
    if (listed.empty() || listed.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string name(listed);
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::filesystem::path path(name);
    const auto climbs = [](const std::filesystem::path& element) { return element == ".."; };
    if (path.is_absolute() || std::ranges::any_of(path, climbs)) {
        return std::nullopt;
    }
    // A trailing "/" leaves an empty file name.
    if (const std::filesystem::path file = path.filename(); file.empty() || file == ".") {
        return std::nullopt;
    }
    return name;
}

}  // namespace updater
