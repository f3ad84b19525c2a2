#include "support/RawHttpServer.h"

#include "platform/StopWait.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace support {
namespace {

size_t ContentLength(const std::string& head) {
    std::string lower;
    for (char c : head) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const size_t at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) {
        return 0;
    }
    return std::strtoul(head.c_str() + at + 17, nullptr, 10);
}

}  // namespace

RawHttpServer::RawHttpServer(Responder responder) : responder_(std::move(responder)) {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listenFd_, 16) != 0 ||
        getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        throw std::runtime_error("test server cannot listen on 127.0.0.1");
    }
    port_ = ntohs(addr.sin_port);
    stopFd_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { Serve(); });
}

RawHttpServer::~RawHttpServer() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(stopFd_, &one, sizeof one);
    thread_.join();
    close(listenFd_);
    close(stopFd_);
}

std::string RawHttpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> RawHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::string RawHttpServer::Answer(const std::string& status, const std::string& body,
                                  const std::string& extraHeaders) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

void RawHttpServer::Serve() {
    while (platform::WaitReadableOrStop(listenFd_, stopFd_) == platform::WaitEnd::Readable) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            ServeConnection(fd);
            close(fd);
        }
    }
}

void RawHttpServer::ServeConnection(int fd) {
    std::string request;
    size_t headEnd = std::string::npos;
    char buffer[8192];
    for (;;) {
        if (headEnd != std::string::npos &&
            request.size() >= headEnd + 4 + ContentLength(request.substr(0, headEnd + 2))) {
            break;
        }
        if (platform::WaitReadableOrStop(fd, stopFd_) != platform::WaitEnd::Readable) {
            return;
        }
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        request.append(buffer, static_cast<size_t>(n));
        if (headEnd == std::string::npos) {
            headEnd = request.find("\r\n\r\n");
        }
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    const std::optional<std::string> answer = responder_(request);
    if (!answer) {
        platform::WaitReadableOrStop(-1, stopFd_);
        return;
    }
    size_t sent = 0;
    while (sent < answer->size()) {
        const ssize_t n = send(fd, answer->data() + sent, answer->size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<size_t>(n);
    }
    shutdown(fd, SHUT_WR);
}

}  // namespace support
