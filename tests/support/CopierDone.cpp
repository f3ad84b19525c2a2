#include "support/CopierDone.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>

namespace support {

CopierDone::CopierDone(const std::filesystem::path& dir) : path_(dir / "Brannick.done") {
    if (mkfifo(path_.c_str(), 0600) != 0) {
        throw std::runtime_error("cannot make the pipe " + path_.string() + ": " +
                                 std::strerror(errno));
    }
    // Without O_NONBLOCK the open would wait for the copier itself.
    fd_ = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const std::string why = std::strerror(errno);
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        throw std::runtime_error("cannot open the pipe " + path_.string() + ": " + why);
    }
}

CopierDone::~CopierDone() {
    close(fd_);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

bool CopierDone::Await(std::chrono::milliseconds timeout) const {
    // Until a writer has come, a reader's pipe reports neither data nor a hang-up.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fds = {fd_, POLLIN, 0};
        const int ready = poll(&fds, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
        if (ready >= 0) {
            return ready == 1 && (fds.revents & POLLIN) != 0;
        }
        if (errno != EINTR) {
            throw std::runtime_error("cannot wait on the pipe " + path_.string() + ": " +
                                     std::strerror(errno));
        }
    }
}

}  // namespace support
