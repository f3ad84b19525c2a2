#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace updater {

// The path, relative to its target directory, under which a file named by an update list is
// stored: the listed name with every "\" read as "/", since lists written for Windows use it.
// std::nullopt for a name that could leave the directory or names no file: empty, absolute, with
// a ".." segment or a NUL, or ending in "/" or a "." segment. Never throws.
std::optional<std::string> StoredName(std::string_view listed);

}  // namespace updater
