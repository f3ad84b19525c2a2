#include "platform/WindowMessages.h"

#include "platform/RuntimeDir.h"
#include "platform/StopWait.h"
#include "platform/WindowMessageWire.h"

#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace platform {
namespace {

// How long a connected sender of this user may take to deliver its request before the listener
// drops it and serves the next one.
constexpr int kRequestTimeoutMs = 5000;

// Out of descriptors or memory, accept fails while the waiting connection keeps the socket
// readable: without a pause the listener would spin on a core until something is freed.
constexpr int kBackOffMs = 100;

bool OutOfResources(int error) {
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

UniqueFd NewSocket() {
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid()) {
        throw std::system_error(errno, std::generic_category(), "cannot create a unix socket");
    }
    return fd;
}

bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// One byte from the peer; std::nullopt when the connection ended.
std::optional<char> ReceiveByte(int fd) {
    char byte = 0;
    ssize_t n = 0;
    do {
        n = recv(fd, &byte, 1, 0);
    } while (n < 0 && errno == EINTR);
    return n == 1 ? std::optional<char>(byte) : std::nullopt;
}

}  // namespace

namespace wire {

std::filesystem::path SocketPath(std::string_view className, std::string_view title,
                                 const std::filesystem::path& dir) {
    std::filesystem::path path =
        dir / (RuntimeFileName(className) + "." + RuntimeFileName(title) + ".window");
    if (path.native().size() >= sizeof(sockaddr_un::sun_path)) {
        throw std::runtime_error("the window socket " + path.string() +
                                 " has too long a name for a unix socket; use a shorter "
                                 "runtime directory");
    }
    return path;
}

sockaddr_un SocketAddress(const std::filesystem::path& path) {
    sockaddr_un address{};
    if (path.native().size() >= sizeof address.sun_path) {
        throw std::runtime_error("the socket " + path.string() +
                                 " has too long a name for a unix socket address");
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.native().size() + 1);
    return address;
}

}  // namespace wire

WindowMessageListener::WindowMessageListener(std::string_view className, std::string_view title,
                                             Handler handler)
    : WindowMessageListener(className, title, std::move(handler), UserRuntimeDir()) {}

WindowMessageListener::WindowMessageListener(std::string_view className, std::string_view title,
                                             Handler handler, const std::filesystem::path& dir)
    : handler_(std::move(handler)), socketPath_(wire::SocketPath(className, title, dir)) {
    // The lock beside the socket tells a live listener from a crashed one: whoever holds it owns
    // the socket name, and a socket found without a holder is left over and may go.
    nameLock_ = FileLock::Take(socketPath_.string() + ".lock");
    if (nameLock_.state == FileLock::State::HeldByAnother) {
        throw std::runtime_error("another window of class \"" + std::string(className) +
                                 "\" titled \"" + std::string(title) + "\" already listens on " +
                                 socketPath_.string());
    }
    if (nameLock_.state != FileLock::State::Owned) {
        throw std::runtime_error(nameLock_.error);
    }
    if (unlink(socketPath_.c_str()) != 0 && errno != ENOENT) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot remove the old window socket " + socketPath_.string());
    }
    listenFd_ = NewSocket();
    const sockaddr_un address = wire::SocketAddress(socketPath_);
    if (bind(listenFd_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_.get(), 8) != 0) {
        const int error = errno;
        unlink(socketPath_.c_str());
        throw std::system_error(error, std::generic_category(),
                                "cannot listen on the window socket " + socketPath_.string());
    }
    stopFd_.Reset(eventfd(0, EFD_CLOEXEC));
    if (!stopFd_.valid()) {
        const int error = errno;
        unlink(socketPath_.c_str());
        throw std::system_error(error, std::generic_category(), "cannot create an eventfd");
    }
    thread_ = std::thread([this] { Serve(); });
}

WindowMessageListener::~WindowMessageListener() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(stopFd_.get(), &one, sizeof one);
    thread_.join();
    // Removed while the name lock is still held, so no new listener's socket can be hit.
    unlink(socketPath_.c_str());
}

void WindowMessageListener::Serve() {
    while (WaitReadableOrStop(listenFd_.get(), stopFd_.get()) == WaitEnd::Readable) {
        const UniqueFd connection(accept4(listenFd_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (connection.valid()) {
            ServeConnection(connection);
        } else if (OutOfResources(errno) &&
                   WaitReadableOrStop(-1, stopFd_.get(), kBackOffMs) == WaitEnd::Stopped) {
            return;
        }
    }
}

void WindowMessageListener::ServeConnection(const UniqueFd& connection) {
    if (!PeerIsThisUser(connection.get())) {
        return;
    }
    wire::Request request{};
    std::size_t received = 0;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestTimeoutMs);
    while (received < request.size()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return;
        }
        if (WaitReadableOrStop(connection.get(), stopFd_.get(), static_cast<int>(left.count())) !=
            WaitEnd::Readable) {
            return;
        }
        const ssize_t n =
            recv(connection.get(), request.data() + received, request.size() - received, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        received += static_cast<std::size_t>(n);
    }
    if (!SendAll(connection.get(), &wire::kAccepted, 1)) {
        return;
    }
    try {
        handler_(wire::Decode(request));
    } catch (...) {
        // The sender learns only that the message was handled; a failing handler must not end
        // the listener and with it the program.
    }
    SendAll(connection.get(), &wire::kHandled, 1);
}

bool SendWindowMessage(std::string_view className, std::string_view title,
                       const WindowMessage& message) {
    return SendWindowMessage(className, title, message, UserRuntimeDir());
}

bool SendWindowMessage(std::string_view className, std::string_view title,
                       const WindowMessage& message, const std::filesystem::path& dir) {
    const std::filesystem::path path = wire::SocketPath(className, title, dir);
    const UniqueFd fd = NewSocket();
    const sockaddr_un address = wire::SocketAddress(path);
    // No socket, or one nobody listens on any more (its listener crashed): nothing found.
    if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return false;
    }
    if (!PeerIsThisUser(fd.get())) {
        return false;
    }
    const wire::Request request = wire::Encode(message);
    if (!SendAll(fd.get(), request.data(), request.size())) {
        return false;
    }
    if (ReceiveByte(fd.get()) != wire::kAccepted) {
        return false;
    }
    // Accepted: now wait for the handler to return, or for the listener's process to end,
    // which closes the connection.
    while (const std::optional<char> byte = ReceiveByte(fd.get())) {
        if (*byte == wire::kHandled) {
            break;
        }
    }
    return true;
}

}  // namespace platform
