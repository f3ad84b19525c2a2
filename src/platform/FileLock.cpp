#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

namespace platform {

FileLock FileLock::Take(const std::filesystem::path& file) {
    FileLock lock;
    // Close-on-exec: a program started from here must not keep the lock after this process ends.
    lock.fd.Reset(open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock.fd.valid()) {
        lock.error = "cannot open the lock file " + file.string() + ": " + std::strerror(errno);
        return lock;
    }
    if (flock(lock.fd.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        lock.fd.Reset();
        if (error == EWOULDBLOCK) {
            lock.state = State::HeldByAnother;
        } else {
            lock.error = "cannot lock " + file.string() + ": " + std::strerror(error);
        }
        return lock;
    }
    lock.state = State::Owned;
    return lock;
}

}  // namespace platform
