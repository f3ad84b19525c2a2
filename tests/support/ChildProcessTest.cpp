#include "support/ChildProcess.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

using support::ChildProcess;

TEST(ChildProcess, WriteToAChildThatHasEndedThrows) {
    ChildProcess child({"/bin/true"});
    ASSERT_EQ(child.Wait(), 0);
    EXPECT_THROW(child.Write("x"), std::runtime_error);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0) << "SIGPIPE left to be delivered later";
}

TEST(ChildProcessDeathTest, EndsQuietlyWhenItsChildWasReapedElsewhere) {
    EXPECT_EXIT(
        {
            // The kernel reaps ignored children itself: waiting for one fails.
            signal(SIGCHLD, SIG_IGN);
            { const ChildProcess child({"/bin/sleep", "60"}); }
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST(RunToEnd, GivesTheExitCodeAndOutputAndWritesStandardErrorToTheFile) {
    const support::TempDir dir;
    const support::Finished run = support::RunToEnd(
        {"/bin/sh", "-c", "pwd -P; echo said >&2; exit 3"}, dir.path(), dir.path() / "err.txt");
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.output, std::filesystem::canonical(dir.path()).string() + "\n");
    EXPECT_EQ(dir.Read("err.txt"), "said\n");
}

}  // namespace
