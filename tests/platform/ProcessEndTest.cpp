#include "platform/ProcessEnd.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// A destructor that would run at a normal exit: it changes the exit status, so the test sees it.
struct ChangesStatusAtExit {
    ~ChangesStatusAtExit() { std::_Exit(9); }
};

TEST(ProcessEndTest, EndsWithTheCodeWritingOutBufferedOutputAndRunningNoExitCode) {
    EXPECT_EXIT(
        {
            static ChangesStatusAtExit destructor;
            std::atexit([] { std::_Exit(8); });
            static char buffer[256];
            std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
            std::fputs("still buffered", stderr);
            platform::EndProcessNow(3);
        },
        testing::ExitedWithCode(3), "still buffered");
}

TEST(ProcessEndTest, EndsFromAnotherThreadWhileTheMainThreadWaits) {
    EXPECT_EXIT(
        {
            static ChangesStatusAtExit destructor;
            std::mutex mutex;
            std::condition_variable never;
            std::thread ender([] { platform::EndProcessNow(0); });
            std::unique_lock lock(mutex);
            never.wait(lock, [] { return false; });
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
