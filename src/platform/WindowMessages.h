#pragma once

#include "platform/FileLock.h"
#include "platform/UniqueFd.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace platform {

// The message by which the updater asks the search window to end the program; both
// parameters are 0.
inline constexpr std::uint32_t WM_CLOSEREQUEST = 2029;
// The identity under which the search window listens and the updater finds it.
inline constexpr char kMainWindowClass[] = "TLumiskSearch";
inline constexpr char kMainWindowTitle[] = "Qorvane";

struct WindowMessage {
    std::uint32_t msg = 0;
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
};

// The window's side of a window message channel between processes of one user. It listens on
// a unix socket in the user's runtime directory named after the window's class name and title,
// and calls the handler for every message a process of the same user sends; a connection from
// any other user is closed unread, so its request has no effect.
//
// The handler runs on the listener's own thread, one message at a time, while the sender
// waits; the sender is released when the handler returns or when this process ends, so a
// handler that ends the process (_exit) is "handled" as well. A program with an event loop
// hands the message on to its own thread from there. The handler must not destroy its listener.
//
// While the process is out of descriptors, the listener pauses between attempts to accept, and
// serves the waiting sender once a descriptor is free again.
//
// A socket name left behind by a crashed listener is replaced. While another live listener
// holds the same class name and title, construction throws std::runtime_error, as it does when
// the socket cannot be set up.
class WindowMessageListener {
  public:
    using Handler = std::function<void(const WindowMessage&)>;

    // Listens in UserRuntimeDir().
    WindowMessageListener(std::string_view className, std::string_view title, Handler handler);
    // Listens in the given directory, which the caller keeps private.
    WindowMessageListener(std::string_view className, std::string_view title, Handler handler,
                          const std::filesystem::path& dir);
    // Stops listening; waits for a handler that is running.
    ~WindowMessageListener();
    WindowMessageListener(const WindowMessageListener&) = delete;
    WindowMessageListener& operator=(const WindowMessageListener&) = delete;

  private:
    void Serve();
    void ServeConnection(const UniqueFd& connection);

    Handler handler_;
    std::filesystem::path socketPath_;
    FileLock nameLock_;
    UniqueFd listenFd_;
    UniqueFd stopFd_;
    std::thread thread_;
};

// The sender's side: finds the listener of the same user with this class name and title,
// delivers the message and waits until the listener has handled it (its handler returned or its
// process ended). Returns true when a listener took the message; false at once when there is
// none, when the name is left over from a listener that crashed, when the listener belongs to
// another user or refused the message. Throws std::runtime_error when the channel cannot be
// tried at all (no usable runtime directory, no socket).
bool SendWindowMessage(std::string_view className, std::string_view title,
                       const WindowMessage& message);
bool SendWindowMessage(std::string_view className, std::string_view title,
                       const WindowMessage& message, const std::filesystem::path& dir);

}  // namespace platform
