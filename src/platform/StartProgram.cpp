#include "platform/StartProgram.h"

#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

extern char** environ;

namespace platform {
namespace {

class SpawnAttributes {
  public:
    SpawnAttributes() {
        posix_spawnattr_init(&attr_);
        sigset_t signals;
        sigfillset(&signals);
        posix_spawnattr_setsigdefault(&attr_, &signals);
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attr_, &signals);
        posix_spawnattr_setflags(
            &attr_, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &attr_; }

  private:
    posix_spawnattr_t attr_;
};

class SpawnFileActions {
  public:
    SpawnFileActions() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        // Descriptors some library opened without close-on-exec stay behind as well.
        posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
    }
    ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

Result StartProgram(const std::string& path) {
    // Everything that allocates is prepared before the fork: in the forked copy of a threaded
    // process a lock another thread held stays locked for good (see the header).
    const SpawnAttributes attributes;
    const SpawnFileActions fileActions;
    std::vector<char> program(path.begin(), path.end());
    program.push_back('\0');
    char* const argv[] = {program.data(), nullptr};

    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return Result::Failure("cannot start " + path + ": " + std::strerror(errno));
    }
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);

    // The program is started by a short-lived intermediate process, which ends at once; the
    // program is then adopted by the system's reaper and is never a child of the caller.
    // Every signal stays blocked from before the fork until the intermediate ends, so no
    // handler of the caller's can run there (see the header).
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t intermediate = fork();
    if (intermediate == 0) {
        pid_t started = 0;
        const int error =
            posix_spawn(&started, argv[0], fileActions.get(), attributes.get(), argv, environ);
        [[maybe_unused]] const ssize_t n = write(writeEnd.get(), &error, sizeof error);
        _exit(0);
    }
    const int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (intermediate < 0) {
        return Result::Failure("cannot start " + path + ": " + std::strerror(forkError));
    }
    writeEnd.Reset();

    int error = 0;
    ssize_t n = 0;
    do {
        n = read(readEnd.get(), &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    // Reaps the intermediate; ECHILD when the caller lets the kernel reap children itself.
    while (waitpid(intermediate, nullptr, 0) < 0 && errno == EINTR) {
    }

    if (n != static_cast<ssize_t>(sizeof error)) {
        return Result::Failure("cannot start " + path + ": the starting process ended early");
    }
    if (error != 0) {
        return Result::Failure("cannot start " + path + ": " + std::strerror(error));
    }
    return Result::Success();
}

}  // namespace platform
