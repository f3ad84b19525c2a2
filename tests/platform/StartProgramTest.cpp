#include "platform/StartProgram.h"

#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

using support::ChildProcess;

// The helper program (Helper.cpp) that plays the other process.
const std::string kHelper = PLATFORM_TEST_HELPER;

// The helper, started without arguments, reports on itself through the FIFO "report" in its
// current directory and runs until the FIFO "release" is closed.
class StartedHelper {
  public:
    explicit StartedHelper(const support::TempDir& dir) : dir_(dir) {
        mkfifo((dir.path() / "report").c_str(), 0600);
        mkfifo((dir.path() / "release").c_str(), 0600);
    }
    ~StartedHelper() {
        // Opening the FIFO waits for the helper to open its end; closing it lets it end.
        if (reported_) {
            close(open((dir_.path() / "release").c_str(), O_WRONLY | O_CLOEXEC));
        }
    }

    // Waits for the report; key=value facts.
    std::map<std::string, std::string> Report() {
        std::ifstream report(dir_.path() / "report");
        std::string line;
        std::getline(report, line);
        reported_ = !line.empty();
        std::map<std::string, std::string> facts;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            const auto eq = word.find('=');
            facts[word.substr(0, eq)] = word.substr(eq + 1);
        }
        return facts;
    }

  private:
    const support::TempDir& dir_;
    bool reported_ = false;
};

bool IsRunning(const std::string& pid) {
    return !support::ProcessWatch(std::stoi(pid)).AwaitEnd(std::chrono::milliseconds(0));
}

TEST(StartProgram, RunsTheProgramDetachedAndNeverAsTheCallersChild) {
    const support::TempDir dir;
    support::ScopedCwd cwd(dir.path());
    StartedHelper helper(dir);
    // What the caller ignores or blocks must not carry over into the program.
    signal(SIGPIPE, SIG_IGN);
    sigset_t usr1;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    sigprocmask(SIG_BLOCK, &usr1, nullptr);
    const int leaked = open("/dev/zero", O_RDONLY);  // not close-on-exec

    const platform::Result result = platform::StartProgram(kHelper);
    ASSERT_TRUE(result) << result.error();
    close(leaked);
    sigset_t mask;
    sigprocmask(SIG_BLOCK, nullptr, &mask);
    EXPECT_TRUE(sigismember(&mask, SIGUSR1)) << "the caller's mask was not restored";
    EXPECT_FALSE(sigismember(&mask, SIGTERM)) << "the caller's mask was not restored";
    // The intermediate process is reaped and the program belongs to someone else, so the
    // caller has no child left to wait for.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    auto facts = helper.Report();
    EXPECT_NE(facts["ppid"], std::to_string(getpid()));
    EXPECT_EQ(facts["sid"], facts["pid"]);
    EXPECT_EQ(facts["pgid"], facts["pid"]);
    EXPECT_EQ(facts["stdin"], "/dev/null");
    EXPECT_EQ(facts["stdout"], "/dev/null");
    EXPECT_EQ(facts["stderr"], "/dev/null");
    EXPECT_EQ(facts["fds"], "3");
    EXPECT_EQ(facts["sigpipe"], "default");
    EXPECT_EQ(facts["usr1"], "open");
}

TEST(StartProgram, TheStartedProgramOutlivesTheProcessThatStartedIt) {
    const support::TempDir dir;
    StartedHelper helper(dir);
    ChildProcess caller({kHelper, "start", kHelper}, dir.path());
    EXPECT_EQ(caller.ReadLine(), "ok");
    ASSERT_EQ(caller.Wait(), 0);

    auto facts = helper.Report();
    ASSERT_FALSE(facts["pid"].empty());
    EXPECT_TRUE(IsRunning(facts["pid"]));
}

TEST(StartProgram, NoHandlerOfTheCallerRunsInTheIntermediateProcess) {
    // The helper floods its own process group, the intermediate processes included, with a
    // signal it handles; its handler notes every run in a process other than its own.
    ChildProcess caller({kHelper, "start-under-signals", "/bin/true", "300"});
    EXPECT_EQ(caller.ReadLine(), "foreign 0 failed 0");
    EXPECT_EQ(caller.Wait(), 0);
}

TEST(StartProgram, ReportsAProgramThatCannotStart) {
    const support::TempDir dir;
    dir.Write("notes.txt", "not a program");
    const std::string cases[] = {
        dir.dir() + "missing",    // no such file
        dir.dir() + "notes.txt",  // no execute permission
        dir.dir(),                // a directory
    };
    for (const std::string& path : cases) {
        const platform::Result result = platform::StartProgram(path);
        EXPECT_FALSE(result) << path;
        EXPECT_NE(result.error().find(path), std::string::npos) << result.error();
    }
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

}  // namespace
