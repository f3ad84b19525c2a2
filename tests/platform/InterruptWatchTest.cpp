#include "platform/InterruptWatch.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <future>
#include <stop_token>

namespace platform {
namespace {

bool InterruptBlocked() {
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return sigismember(&mask, SIGINT) == 1;
}

TEST(InterruptWatch, TurnsCtrlCIntoAStopRequestWhileItLives) {
    {
        InterruptWatch watch;
        ASSERT_EQ(watch.error(), "");
        EXPECT_FALSE(watch.interrupted().stop_requested());
        std::promise<void> stopped;
        const std::stop_callback onStop(watch.interrupted(), [&stopped] { stopped.set_value(); });
        // Sent to the process as Ctrl-C is; without the watch it would end the test.
        kill(getpid(), SIGINT);
        stopped.get_future().wait();
        kill(getpid(), SIGINT);  // taken and dropped
        EXPECT_TRUE(InterruptBlocked());
    }
    EXPECT_FALSE(InterruptBlocked());
}

}  // namespace
}  // namespace platform
