// A small program the platform tests run as a separate process, so that locks, window messages
// and program starts are tried between real processes. It talks to the test over its standard
// input and output.
//
//   (no arguments)                      started program: reports on itself (below)
//   hold-lock DIR NAME                  prints owned/held/unavailable; holds until stdin ends
//   listen DIR CLASS TITLE [UID]        prints "listening"; on a message prints
//                                       "handling MSG WPARAM LPARAM", reads one byte, _exit(0)
//   send DIR CLASS TITLE UID            as UID: prints "found" or "not found"
//   raw-send DIR CLASS TITLE UID        as UID, bypassing the sender's checks: prints
//                                       "answered" or "closed"
//   start PATH                          StartProgram(PATH): prints "ok" or the error
//   listen-starved DIR CLASS TITLE      as listen, but with every descriptor taken: prints
//                                       "starved"; after a line on stdin measures its CPU
//                                       time over one second, prints "cpu MS", frees them
//   start-under-signals PATH COUNT      leads its own process group, which a thread floods
//                                       with SIGUSR1 while StartProgram(PATH) runs COUNT
//                                       times; prints "foreign N failed M": N handlers ran in
//                                       another process, M starts failed

#include "platform/InstanceLock.h"
#include "platform/StartProgram.h"
#include "platform/WindowMessageWire.h"
#include "platform/WindowMessages.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

void Say(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t n = write(STDOUT_FILENO, text.data(), text.size());
}

void WaitForInputToEnd() {
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
}

void BecomeUser(const char* uid) {
    const auto id = static_cast<uid_t>(std::stoul(uid));
    if (setresgid(id, id, id) != 0 || setresuid(id, id, id) != 0) {
        Say("cannot become user " + std::string(uid));
        _exit(3);
    }
}

std::string FdTarget(int fd) {
    char target[256] = "";
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : "closed";
}

int CountOpenFds() {
    DIR* dir = opendir("/proc/self/fd");
    int count = 0;
    while (const dirent* entry = readdir(dir)) {
        count += entry->d_name[0] != '.' ? 1 : 0;
    }
    closedir(dir);
    return count - 1;  // the directory's own descriptor
}

// As a started program: writes one line of key=value facts about itself to the FIFO "report"
// in the current directory, then runs until the FIFO "release" is closed by the test.
int ReportOnSelf() {
    struct sigaction pipeAction {};
    sigaction(SIGPIPE, nullptr, &pipeAction);
    sigset_t blocked;
    sigprocmask(SIG_BLOCK, nullptr, &blocked);
    const int openFds = CountOpenFds();
    const std::string facts =
        "pid=" + std::to_string(getpid()) + " pgid=" + std::to_string(getpgid(0)) +
        " sid=" + std::to_string(getsid(0)) + " ppid=" + std::to_string(getppid()) +
        " stdin=" + FdTarget(0) + " stdout=" + FdTarget(1) + " stderr=" + FdTarget(2) +
        " fds=" + std::to_string(openFds) +
        " sigpipe=" + (pipeAction.sa_handler == SIG_IGN ? "ignored" : "default") +
        " usr1=" + (sigismember(&blocked, SIGUSR1) ? "blocked" : "open") + "\n";
    const int report = open("report", O_WRONLY | O_CLOEXEC);
    [[maybe_unused]] const ssize_t n = write(report, facts.data(), facts.size());
    close(report);
    const int release = open("release", O_RDONLY | O_CLOEXEC);
    char c = 0;
    while (read(release, &c, 1) > 0) {
    }
    return 0;
}

[[noreturn]] void HandleAndEnd(const platform::WindowMessage& m) {
    Say("handling " + std::to_string(m.msg) + " " + std::to_string(m.wParam) + " " +
        std::to_string(m.lParam));
    char c = 0;
    [[maybe_unused]] const ssize_t n = read(STDIN_FILENO, &c, 1);
    _exit(0);
}

long CpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000L + t.tv_usec / 1000L; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Serves the window while the process has no descriptor left, so that the listener's accept
// fails for as long as the test wants.
int ListenStarved(const char* dir, const char* className, const char* title) {
    const platform::WindowMessageListener listener(className, title, HandleAndEnd, dir);
    std::vector<int> taken;
    for (int fd; (fd = dup(STDERR_FILENO)) >= 0;) {
        taken.push_back(fd);
    }
    Say("starved");
    char c = 0;
    while (read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
    }
    // The window is measured, not awaited: a listener that spins would burn most of it.
    const long before = CpuMilliseconds();
    const timespec second{1, 0};
    nanosleep(&second, nullptr);
    const long used = CpuMilliseconds() - before;
    for (const int fd : taken) {
        close(fd);
    }
    Say("cpu " + std::to_string(used));
    for (;;) {
        pause();
    }
}

// Set once before the flood starts; a signal handler can reach nothing else.
pid_t helperPid = 0;
int foreignPipe = -1;

void NoteForeignHandler(int) {
    if (getpid() != helperPid) {
        const char mark = 'X';
        [[maybe_unused]] const ssize_t n = write(foreignPipe, &mark, 1);
    }
}

int StartUnderSignals(const char* path, int count) {
    setpgid(0, 0);
    helperPid = getpid();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        Say("no pipe");
        return 2;
    }
    foreignPipe = ends[1];
    struct sigaction action {};
    action.sa_handler = NoteForeignHandler;
    sigaction(SIGUSR1, &action, nullptr);

    std::atomic<bool> done = false;
    std::thread flood([&done] {
        while (!done) {
            kill(0, SIGUSR1);
        }
    });
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        failed += platform::StartProgram(path) ? 0 : 1;
    }
    done = true;
    flood.join();

    int foreign = 0;
    char buffer[256];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) {
        foreign += static_cast<int>(n);
    }
    Say("foreign " + std::to_string(foreign) + " failed " + std::to_string(failed));
    return 0;
}

int RawSend(const char* dir, const char* className, const char* title) {
    const sockaddr_un address =
        platform::wire::SocketAddress(platform::wire::SocketPath(className, title, dir));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        Say("cannot connect");
        return 2;
    }
    const auto request = platform::wire::Encode({platform::WM_CLOSEREQUEST, 0, 0});
    [[maybe_unused]] const ssize_t sent = send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char c = 0;
    Say(read(fd, &c, 1) == 1 ? "answered" : "closed");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc == 1) {
        return ReportOnSelf();
    }
    if (mode == "hold-lock" && argc == 4) {
        const platform::InstanceLock lock(argv[3], argv[2]);
        using State = platform::InstanceLock::State;
        Say(lock.state() == State::Owned           ? "owned"
            : lock.state() == State::HeldByAnother ? "held"
                                                   : "unavailable " + lock.error());
        if (lock.state() == State::Owned) {
            WaitForInputToEnd();
        }
        return 0;
    }
    if (mode == "listen" && (argc == 5 || argc == 6)) {
        if (argc == 6) {
            BecomeUser(argv[5]);
        }
        const platform::WindowMessageListener listener(argv[3], argv[4], HandleAndEnd, argv[2]);
        Say("listening");
        for (;;) {
            pause();
        }
    }
    if (mode == "send" && argc == 6) {
        BecomeUser(argv[5]);
        const bool found = platform::SendWindowMessage(argv[3], argv[4],
                                                       {platform::WM_CLOSEREQUEST, 0, 0}, argv[2]);
        Say(found ? "found" : "not found");
        return 0;
    }
    if (mode == "raw-send" && argc == 6) {
        BecomeUser(argv[5]);
        return RawSend(argv[2], argv[3], argv[4]);
    }
    if (mode == "listen-starved" && argc == 5) {
        return ListenStarved(argv[2], argv[3], argv[4]);
    }
    if (mode == "start-under-signals" && argc == 4) {
        return StartUnderSignals(argv[2], std::stoi(argv[3]));
    }
    if (mode == "start" && argc == 3) {
        const platform::Result result = platform::StartProgram(argv[2]);
        Say(result ? "ok" : result.error());
        return 0;
    }
    Say("unknown arguments");
    return 2;
}
