#include "TempDir.h"

#include "sandbox/Sandbox.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

// This environment, with the given variables set in place of their own values.
std::vector<std::string> Environment(const std::vector<std::string>& settings) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string entry = *variable;
        bool replaced = false;
        for (const std::string& setting : settings) {
            replaced = replaced || entry.starts_with(setting.substr(0, setting.find('=') + 1));
        }
        if (!replaced) {
            environment.push_back(entry);
        }
    }
    environment.insert(environment.end(), settings.begin(), settings.end());
    return environment;
}

// The program at `program`, running as a child of the test with its output in `output`; killed
// and reaped at the end of the object's life if it still runs.
class Process {
  public:
    Process(const fs::path& program, const std::vector<std::string>& environment,
            const fs::path& output) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::string path = program.string();
        char* const argv[] = {path.data(), nullptr};
        std::vector<std::string> variables = environment;
        std::vector<char*> envp;
        for (std::string& variable : variables) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        const int error = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            throw std::runtime_error("cannot start " + path + ": " + std::strerror(error));
        }
    }
    ~Process() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Wait();
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Waits for the end; the exit code, or 128 + the signal that ended it.
    int Wait() {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

  private:
    pid_t pid_ = -1;
};

TEST(Tessaly, TwoCopiesStartedTogetherMakeOnePass) {
    const TempDir install;
    const TempDir runtime;  // the user's runtime directory, holding the single-instance lock
    const TempDir lists;
    sandbox::Sandbox sandbox({});
    fs::copy_file(TESSALY_PATH, install.path() / "Tessaly");
    install.Write("Config.ini", "[UpGrade]\nServer=" + sandbox.host() + "\n");
    const std::string list =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpGrade><File><Name>Help.html</Name>"
        "<Version>1.02</Version><URL>{SANDBOX}/files/Help.html</URL><Size>1</Size>"
        "<Note>n</Note></File></UpGrade>\n";
    install.Write("UpGrade_Old.xml", list);
    lists.Write("list.xml", list);
    sandbox.SetUpdateList(lists.path() / "list.xml");
    // Slow enough that the first copy still holds the lock when the second one starts.
    sandbox.SetSwitches(sandbox::Service::Query, {.latency = std::chrono::milliseconds(3000)});

    const std::vector<std::string> environment =
        Environment({"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime.path().string(),
                     "no_proxy=127.0.0.1"});
    const fs::path output = install.path() / "output.txt";
    Process first(install.path() / "Tessaly", environment, output);
    Process second(install.path() / "Tessaly", environment, output);
    const int firstEnd = first.Wait();
    const int secondEnd = second.Wait();

    EXPECT_EQ(firstEnd, 0) << install.Read("output.txt");
    EXPECT_EQ(secondEnd, 0) << install.Read("output.txt");
    EXPECT_EQ(sandbox.requestCount(sandbox::Service::Query), 1u);
    // The one pass went to its end: nothing new, so the fetched list is gone again.
    EXPECT_FALSE(fs::exists(install.path() / "UpGrade_New.xml"));
}

}  // namespace
