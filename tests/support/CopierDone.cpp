#include "support/CopierDone.h"

#include "platform/StopWait.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
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
    // Until a writer has come, a reader's pipe reports neither data nor a hang-up. Waited on
    // where a stop would be, the pipe ends the wait as stopped only with data in it: a copier
    // that hung up without its line has not said that it ran.
    const platform::WaitEnd end = platform::WaitReadableOrStop(
        -1, fd_, static_cast<int>(std::clamp<int64_t>(timeout.count(), 0, INT_MAX)));
    if (end == platform::WaitEnd::Failed) {
        throw std::runtime_error("cannot wait on the pipe " + path_.string());
    }
    return end == platform::WaitEnd::Stopped;
}

}  // namespace support
