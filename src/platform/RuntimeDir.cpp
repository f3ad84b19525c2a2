#include "platform/RuntimeDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace platform {

std::filesystem::path UserRuntimeDir() {
    const char* session = std::getenv("XDG_RUNTIME_DIR");
    const std::filesystem::path base =
        session != nullptr && session[0] == '/' ? std::filesystem::path(session) : "/tmp";
    const uid_t uid = geteuid();
    const std::filesystem::path dir = base / ("qorvane-" + std::to_string(uid));

    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot create the runtime directory " + dir.string());
    }
    // Under /tmp another user may have made the name first; lstat so that a planted symbolic
    // link is seen as what it is.
    struct stat info {};
    if (lstat(dir.c_str(), &info) != 0) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot inspect the runtime directory " + dir.string());
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != uid || (info.st_mode & 077) != 0) {
        throw std::runtime_error("the runtime directory " + dir.string() +
                                 " is not a directory private to user " + std::to_string(uid) +
                                 " (owner only, mode 700); remove it so it can be made afresh");
    }
    return dir;
}

std::string RuntimeFileName(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string name;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '_';
        if (plain) {
            name += c;
        } else {
            name += '%';
            name += kHex[byte >> 4];
            name += kHex[byte & 0xF];
        }
    }
    return name;
}

}  // namespace platform
