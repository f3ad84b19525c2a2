#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <random>
#include <system_error>

namespace base {
namespace {

std::filesystem::path TemporaryName(const std::filesystem::path& target,
                                    std::random_device& random) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp", random(), random());
    std::filesystem::path name = target;
    name += suffix;
    return name;
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target,
                       std::optional<std::filesystem::perms> newFileMode)
    : target_(std::move(target)), newFileMode_(newFileMode) {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = TemporaryName(target_, random);
        // 0666 lets the umask decide, as for any new file; Commit adopts the old file's bits
        // or the mode asked for.
        fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        Fail(errno);
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) {
        close(fd_);
    }
    if (!committed_) {
        unlink(temporary_.c_str());
    }
}

void AtomicFile::Fail(int error) const {
    throw std::system_error(error != 0 ? error : EIO, std::generic_category(),
                            "cannot write " + target_.string());
}

void AtomicFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Fail(n < 0 ? errno : EIO);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void AtomicFile::Commit() {
    struct stat old {};
    std::optional<mode_t> mode;
    if (stat(target_.c_str(), &old) == 0) {
        mode = old.st_mode & 0777;
    } else if (errno == ENOENT && newFileMode_) {
        mode = static_cast<mode_t>(*newFileMode_ & std::filesystem::perms::all);
    }
    if (mode && fchmod(fd_, *mode) != 0) {
        Fail(errno);
    }
    if (fsync(fd_) != 0) {
        Fail(errno);
    }
    // A failing close can mean the data never reached the disk.
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
        Fail(errno);
    }
    if (rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(errno);
    }
    committed_ = true;
}

void ReplaceFile(const std::filesystem::path& target, std::string_view bytes) {
    AtomicFile file(target);
    file.Write(bytes);
    file.Commit();
}

}  // namespace base
