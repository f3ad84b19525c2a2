#include "platform/InterruptWatch.h"

#include "platform/StopWait.h"

#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace platform {
namespace {

sigset_t InterruptSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    return signals;
}

}  // namespace

InterruptWatch::InterruptWatch() {
    const sigset_t signals = InterruptSignals();
    sigset_t before;
    if (const int error = pthread_sigmask(SIG_BLOCK, &signals, &before); error != 0) {
        error_ = std::string("cannot block SIGINT: ") + std::strerror(error);
        return;
    }
    blocked_ = sigismember(&before, SIGINT) == 0;
    signalFd_.Reset(signalfd(-1, &signals, SFD_CLOEXEC));
    wakeFd_.Reset(eventfd(0, EFD_CLOEXEC));
    if (!signalFd_.valid() || !wakeFd_.valid()) {
        error_ = std::string("cannot watch for SIGINT: ") + std::strerror(errno);
    } else {
        try {
            watcher_ = std::jthread([this] { Watch(); });
        } catch (const std::system_error& e) {
            error_ = std::string("cannot watch for SIGINT: ") + e.what();
        }
    }
    if (!error_.empty()) {
        Unblock();
    }
}

InterruptWatch::~InterruptWatch() {
    if (watcher_.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wakeFd_.get(), &one, sizeof one);
        watcher_.join();
    }
    Unblock();
}

void InterruptWatch::Watch() {
    while (WaitReadableOrStop(signalFd_.get(), wakeFd_.get()) == WaitEnd::Readable) {
        signalfd_siginfo info{};
        if (read(signalFd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            interrupted_.request_stop();
        }
    }
}

void InterruptWatch::Unblock() {
    if (blocked_) {
        const sigset_t signals = InterruptSignals();
        // One that came after the watcher's last look would end the process on the unblock.
        const timespec now{};
        while (sigtimedwait(&signals, nullptr, &now) == SIGINT) {
        }
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
        blocked_ = false;
    }
}

}  // namespace platform
