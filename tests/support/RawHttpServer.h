#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace support {

// A one-thread HTTP server on 127.0.0.1 that works on raw bytes, for tests that must see a
// request exactly as it went on the wire (header order included) or answer with bytes no
// well-behaved server library would send. Connections are served one after another.
class RawHttpServer {
  public:
    // Returns the raw answer for one raw request (head and body); std::nullopt keeps the
    // connection open without answering until the server stops.
    using Responder = std::function<std::optional<std::string>(const std::string& request)>;

    explicit RawHttpServer(Responder responder);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path) const;
    std::vector<std::string> requests() const;

    // A complete HTTP/1.1 answer with the given status line tail ("200 OK"), extra header lines
    // (each ending in CR LF) and body; the connection is closed after it.
    static std::string Answer(const std::string& status, const std::string& body,
                              const std::string& extraHeaders = "");

  private:
    void Serve();
    void ServeConnection(int fd);

    Responder responder_;
    int listenFd_ = -1;
    int stopFd_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace support
