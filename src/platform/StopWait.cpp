#include "platform/StopWait.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

namespace platform {

WaitEnd WaitReadableOrStop(int fd, int stopFd, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int left = -1;
        if (timeoutMs >= 0) {
            const auto remaining =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            left = remaining.count() > 0 ? static_cast<int>(remaining.count()) : 0;
        }
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {fd, POLLIN, 0}};
        const int ready = poll(fds, fd >= 0 ? 2 : 1, left);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return WaitEnd::Failed;
        }
        if (ready == 0) {
            return WaitEnd::TimedOut;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            return WaitEnd::Stopped;
        }
        return WaitEnd::Readable;
    }
}

}  // namespace platform
