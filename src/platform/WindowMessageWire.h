#pragma once

// How a window message travels between sender and listener. Both ends run on one machine, so
// numbers go in the machine's own byte order.

#include "platform/WindowMessages.h"

#include <sys/un.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace platform::wire {

inline constexpr std::size_t kRequestSize = sizeof(std::uint32_t) + 2 * sizeof(std::int64_t);
using Request = std::array<char, kRequestSize>;

// The listener's answers: one byte once it has accepted the request (right before the handler
// runs), one more when the handler has returned.
inline constexpr char kAccepted = 'A';
inline constexpr char kHandled = 'H';

inline Request Encode(const WindowMessage& message) {
    Request bytes{};
    std::memcpy(bytes.data(), &message.msg, sizeof message.msg);
    std::memcpy(bytes.data() + 4, &message.wParam, sizeof message.wParam);
    std::memcpy(bytes.data() + 12, &message.lParam, sizeof message.lParam);
    return bytes;
}

inline WindowMessage Decode(const Request& bytes) {
    WindowMessage message;
    std::memcpy(&message.msg, bytes.data(), sizeof message.msg);
    std::memcpy(&message.wParam, bytes.data() + 4, sizeof message.wParam);
    std::memcpy(&message.lParam, bytes.data() + 12, sizeof message.lParam);
    return message;
}

// The socket of the listener for this class name and title; throws std::runtime_error when the
// path does not fit a unix socket address.
std::filesystem::path SocketPath(std::string_view className, std::string_view title,
                                 const std::filesystem::path& dir);

// The unix socket address of a socket file, for bind and connect; throws std::runtime_error
// when the path does not fit (no path from SocketPath is too long).
sockaddr_un SocketAddress(const std::filesystem::path& path);

}  // namespace platform::wire
