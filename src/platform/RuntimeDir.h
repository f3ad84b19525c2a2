#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The directory that holds this user's instance locks and window sockets, created on first use:
// "qorvane-<uid>" under $XDG_RUNTIME_DIR, or under /tmp when the session has no runtime
// directory. Only its owner may enter it, so other users can neither take nor reach what lies
// in it. Throws std::runtime_error when it cannot be created or is not private to this user.
std::filesystem::path UserRuntimeDir();

// A file name for free text: ASCII letters, digits and "_" stay, every other byte becomes "%XX".
// Different texts never share a name, and no text can climb out of the directory.
std::string RuntimeFileName(std::string_view text);

}  // namespace platform
