#include "platform/UniqueFd.h"
#include "platform/WindowMessageWire.h"
#include "platform/WindowMessages.h"

#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using platform::kMainWindowClass;
using platform::kMainWindowTitle;
using platform::SendWindowMessage;
using platform::WindowMessage;
using platform::WindowMessageListener;
using platform::WM_CLOSEREQUEST;
using support::ChildProcess;

// The helper program (Helper.cpp) that plays the other process.
const std::string kHelper = PLATFORM_TEST_HELPER;

constexpr WindowMessage kCloseRequest{WM_CLOSEREQUEST, 0, 0};
constexpr char kNobody[] = "65534";

TEST(WindowMessages, TheSenderReturnsOnlyAfterTheReceivingProcessHasEnded) {
    const support::TempDir dir;
    ChildProcess receiver({kHelper, "listen", dir.path(), kMainWindowClass, kMainWindowTitle});
    ASSERT_EQ(receiver.ReadLine(), "listening");

    auto sent = std::async(std::launch::async, [&] {
        return SendWindowMessage(kMainWindowClass, kMainWindowTitle, kCloseRequest, dir.path());
    });
    EXPECT_EQ(receiver.ReadLine(), "handling 2029 0 0");
    // The receiver is inside its handler and still alive: the sender must still be waiting.
    EXPECT_EQ(sent.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

    receiver.Write("x");  // lets the handler end the process
    EXPECT_TRUE(sent.get());
    EXPECT_EQ(receiver.Wait(), 0);
}

TEST(WindowMessages, NothingIsFoundWithoutAListenerOfTheSameClassAndTitle) {
    const support::TempDir dir;
    EXPECT_FALSE(SendWindowMessage(kMainWindowClass, kMainWindowTitle, kCloseRequest, dir.path()));

    std::atomic<int> handled = 0;
    const WindowMessageListener listener(
        kMainWindowClass, kMainWindowTitle, [&](const WindowMessage&) { ++handled; }, dir.path());
    const struct {
        const char* className;
        const char* title;
    } others[] = {{kMainWindowClass, "Tessaly"}, {"TfrmMain", kMainWindowTitle}, {"", ""}};
    for (const auto& other : others) {
        EXPECT_FALSE(SendWindowMessage(other.className, other.title, kCloseRequest, dir.path()))
            << other.className << " " << other.title;
    }
    EXPECT_EQ(handled, 0);
}

TEST(WindowMessages, ANameLeftByAKilledListenerIsNotFoundAndCanBeListenedOnAgain) {
    const support::TempDir dir;
    ChildProcess crashed({kHelper, "listen", dir.path(), kMainWindowClass, kMainWindowTitle});
    ASSERT_EQ(crashed.ReadLine(), "listening");
    crashed.Kill(SIGKILL);
    ASSERT_EQ(crashed.Wait(), 128 + SIGKILL);
    ASSERT_TRUE(std::filesystem::exists(
        platform::wire::SocketPath(kMainWindowClass, kMainWindowTitle, dir.path())));

    EXPECT_FALSE(SendWindowMessage(kMainWindowClass, kMainWindowTitle, kCloseRequest, dir.path()));

    ChildProcess next({kHelper, "listen", dir.path(), kMainWindowClass, kMainWindowTitle});
    ASSERT_EQ(next.ReadLine(), "listening");
    next.Write("x");  // its handler may end the process at once
    EXPECT_TRUE(SendWindowMessage(kMainWindowClass, kMainWindowTitle, kCloseRequest, dir.path()));
    EXPECT_EQ(next.ReadLine(), "handling 2029 0 0");
    EXPECT_EQ(next.Wait(), 0);
}

TEST(WindowMessageListener, CallsTheHandlerOnItsOwnThreadAndReleasesTheSenderWhenItReturns) {
    const support::TempDir dir;
    std::mutex mutex;
    std::vector<WindowMessage> received;
    std::thread::id handlerThread;
    const WindowMessageListener listener(
        kMainWindowClass, kMainWindowTitle,
        [&](const WindowMessage& message) {
            const std::lock_guard lock(mutex);
            received.push_back(message);
            handlerThread = std::this_thread::get_id();
        },
        dir.path());

    const WindowMessage messages[] = {kCloseRequest, {7, -1, 0x123456789}};
    for (const WindowMessage& message : messages) {
        EXPECT_TRUE(SendWindowMessage(kMainWindowClass, kMainWindowTitle, message, dir.path()));
    }
    const std::lock_guard lock(mutex);
    ASSERT_EQ(received.size(), 2u);
    for (size_t i = 0; i < received.size(); ++i) {
        EXPECT_EQ(received[i].msg, messages[i].msg);
        EXPECT_EQ(received[i].wParam, messages[i].wParam);
        EXPECT_EQ(received[i].lParam, messages[i].lParam);
    }
    EXPECT_NE(handlerThread, std::this_thread::get_id());
}

TEST(WindowMessageListener, OnlyOneLiveListenerHoldsAName) {
    const support::TempDir dir;
    const auto listen = [&] {
        return std::make_unique<WindowMessageListener>(
            kMainWindowClass, kMainWindowTitle, [](const WindowMessage&) {}, dir.path());
    };
    auto first = listen();
    EXPECT_THROW(listen(), std::runtime_error);
    EXPECT_TRUE(SendWindowMessage(kMainWindowClass, kMainWindowTitle, kCloseRequest, dir.path()));

    first.reset();
    EXPECT_FALSE(SendWindowMessage(kMainWindowClass, kMainWindowTitle, kCloseRequest, dir.path()));
    EXPECT_NO_THROW(listen());
}

TEST(WindowMessageListener, BacksOffWhileOutOfDescriptorsAndServesOnceOneIsFree) {
    const support::TempDir dir;
    ChildProcess receiver(
        {kHelper, "listen-starved", dir.path(), kMainWindowClass, kMainWindowTitle});
    ASSERT_EQ(receiver.ReadLine(), "starved");

    // A sender waiting in the listener's backlog, which it cannot accept for want of a
    // descriptor; the socket stays readable all the while.
    const platform::UniqueFd sender(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_un address = platform::wire::SocketAddress(
        platform::wire::SocketPath(kMainWindowClass, kMainWindowTitle, dir.path()));
    ASSERT_EQ(connect(sender.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address),
              0);
    receiver.Write("go\n");

    // A listener that retried at once would have burnt most of the helper's one-second window.
    const std::string cpu = receiver.ReadLine();
    ASSERT_TRUE(cpu.starts_with("cpu ")) << cpu;
    EXPECT_LT(std::stol(cpu.substr(4)), 100) << "milliseconds of CPU in one second";

    const platform::wire::Request request = platform::wire::Encode(kCloseRequest);
    ASSERT_EQ(send(sender.get(), request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
    EXPECT_EQ(receiver.ReadLine(), "handling 2029 0 0");
    receiver.Write("x");
    EXPECT_EQ(receiver.Wait(), 0);
}

// The runtime directory keeps other users out; these tests open a directory to everyone to
// show that the credential checks hold on their own. Changing user needs root.
class AnotherUser : public ::testing::Test {
  protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "needs root to act as another user";
        }
        std::filesystem::permissions(dir_.path(), std::filesystem::perms::all);
    }
    void OpenSocketToAll() const {
        std::filesystem::permissions(
            platform::wire::SocketPath(kMainWindowClass, kMainWindowTitle, dir_.path()),
            std::filesystem::perms::all);
    }
    support::TempDir dir_;
};

TEST_F(AnotherUser, CannotMakeAListenerHandleAMessage) {
    std::atomic<int> handled = 0;
    const WindowMessageListener listener(
        kMainWindowClass, kMainWindowTitle, [&](const WindowMessage&) { ++handled; }, dir_.path());
    OpenSocketToAll();

    for (const char* mode : {"raw-send", "send"}) {
        ChildProcess stranger(
            {kHelper, mode, dir_.path(), kMainWindowClass, kMainWindowTitle, kNobody});
        EXPECT_EQ(stranger.ReadLine(), std::string(mode) == "send" ? "not found" : "closed");
        EXPECT_EQ(stranger.Wait(), 0);
    }
    EXPECT_EQ(handled, 0);
    EXPECT_TRUE(SendWindowMessage(kMainWindowClass, kMainWindowTitle, kCloseRequest, dir_.path()));
    EXPECT_EQ(handled, 1);
}

TEST_F(AnotherUser, ListeningUnderTheNameIsNotFoundBySenders) {
    ChildProcess stranger(
        {kHelper, "listen", dir_.path(), kMainWindowClass, kMainWindowTitle, kNobody});
    ASSERT_EQ(stranger.ReadLine(), "listening");
    OpenSocketToAll();

    EXPECT_FALSE(SendWindowMessage(kMainWindowClass, kMainWindowTitle, kCloseRequest, dir_.path()));
    stranger.Kill(SIGKILL);
    stranger.Wait();
    EXPECT_EQ(stranger.ReadLine(), "") << "the stranger's handler ran";
}

}  // namespace
