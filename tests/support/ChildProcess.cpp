#include "support/ChildProcess.h"

#include "platform/StopWait.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace support {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
                           const std::filesystem::path& errorFile) {
    if (argv.empty()) {
        throw std::invalid_argument("a child process needs a program");
    }
    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot create pipes for " + argv[0]);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    // Opened before the change of directory, so that a relative name is the caller's.
    if (!errorFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    if (!cwd.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    }
    std::vector<std::string> all = argv;
    std::vector<char*> pointers;
    for (std::string& arg : all) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    const int error = posix_spawn(&pid_, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
    if (error != 0) {
        close(input_);
        close(output_);
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(error));
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        Kill(SIGKILL);
        // Not Wait(), which throws: a child that cannot be waited for was reaped elsewhere.
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    CloseInput();
    close(output_);
}

std::string ChildProcess::ReadLine() {
    std::string line;
    char c = 0;
    for (;;) {
        const ssize_t n = read(output_, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || c == '\n') {
            return line;
        }
        line += c;
    }
}

std::string ChildProcess::ReadAll() {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(output_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return text;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
}

void ChildProcess::Write(std::string_view text) {
    // A child that has gone raises SIGPIPE, whose default would end the whole test program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    sigset_t pending;
    sigpending(&pending);
    const bool pendingBefore = sigismember(&pending, SIGPIPE) == 1;
    const ssize_t written = write(input_, text.data(), text.size());
    const int error = errno;
    if (written < 0 && error == EPIPE && !pendingBefore) {
        // Taken here, so that unblocking does not deliver it after all.
        const timespec noWait{};
        while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (written < 0) {
        throw std::runtime_error(std::string("cannot write to a child process: ") +
                                 std::strerror(error));
    }
    if (written != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("cannot write to a child process: only part was taken");
    }
}

void ChildProcess::CloseInput() {
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
}

void ChildProcess::Kill(int signal) {
    if (pid_ > 0) {
        kill(pid_, signal);
    }
}

int ChildProcess::Wait() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("cannot wait for a child process");
        }
    }
    pid_ = -1;
    endedBySignal_ = !WIFEXITED(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::optional<int> ChildProcess::WaitFor(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) {
        throw std::logic_error("the child process has been waited for already");
    }
    if (!ProcessWatch(pid_).AwaitEnd(timeout)) {
        return std::nullopt;
    }
    return Wait();
}

Finished RunToEnd(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
                  const std::filesystem::path& errorFile) {
    ChildProcess program(argv, cwd, errorFile);
    program.CloseInput();
    std::string output = program.ReadAll();
    return {program.Wait(), std::move(output)};
}

ProcessWatch::ProcessWatch(pid_t pid) : pid_(pid) {
    // A pidfd turns readable when its process ends, child or not, so nothing has to be polled.
    // Called directly: Debian 12's <sys/pidfd.h> declares pidfd_open without C linkage.
    fd_ = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd_ < 0 && errno != ESRCH) {
        throw std::runtime_error("cannot watch process " + std::to_string(pid) + ": " +
                                 std::strerror(errno));
    }
}

ProcessWatch::~ProcessWatch() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool ProcessWatch::AwaitEnd(std::chrono::milliseconds timeout) const {
    if (fd_ < 0) {
        return true;
    }
    // Waited on alone, where a stop would be: the pidfd turns readable when the process ends.
    const platform::WaitEnd end = platform::WaitReadableOrStop(
        -1, fd_, static_cast<int>(std::clamp<int64_t>(timeout.count(), 0, INT_MAX)));
    if (end == platform::WaitEnd::Failed) {
        throw std::runtime_error("cannot wait for process " + std::to_string(pid_));
    }
    return end == platform::WaitEnd::Stopped;
}

}  // namespace support
