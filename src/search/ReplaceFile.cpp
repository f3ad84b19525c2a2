#include "search/ReplaceFile.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

namespace search {
namespace {

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
    std::random_device random;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp", random(), random());
    std::filesystem::path temporary = path;
    temporary += suffix;
    return temporary;
}

std::system_error WriteError(int error, const std::filesystem::path& path) {
    return std::system_error(error != 0 ? error : EIO, std::generic_category(),
                             "cannot write " + path.string());
}

}  // namespace

void ReplaceFile(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path temporary = TemporaryBeside(path);
    try {
        errno = 0;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw WriteError(errno, path);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            throw WriteError(errno, path);
        }
        std::error_code error;
        std::filesystem::rename(temporary, path, error);
        if (error) {
            throw std::system_error(error, "cannot write " + path.string());
        }
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw;
    }
}

}  // namespace search
