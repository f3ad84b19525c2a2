#include "base/Paths.h"

#include <filesystem>
#include <system_error>

namespace base {

std::string GetWorkDir() {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec) {
        throw std::system_error(ec, "cannot read the current directory");
    }
    return cwd.string() + "/";
}

std::string GetAppPath() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        throw std::system_error(ec, "cannot find the program file");
    }
    return exe.parent_path().string() + "/";
}

}  // namespace base
