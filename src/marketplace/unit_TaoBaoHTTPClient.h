#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace marketplace {

// How long a request may take before it counts as a transport failure.
struct THTTPTimeouts {
    std::chrono::milliseconds connect{10'000};
    // No byte received for this long (whole seconds; at least one).
    std::chrono::seconds stall{30};
    std::chrono::milliseconds total{120'000};
};

// The gateway's transport: one form post, an answer that is UTF-8 or nothing.
class THTTPClient {
  public:
    // Throws std::invalid_argument when GatewayUrl is not an http or https address.
    explicit THTTPClient(std::string GatewayUrl);
    ~THTTPClient();
    THTTPClient(const THTTPClient&) = delete;
    THTTPClient& operator=(const THTTPClient&) = delete;

    // The answer body, or "" on any failure: no connection, a status outside 2xx, a Location
    // header, a time-out, a broken answer, a body that is not valid UTF-8.
    std::string PostRequest(const std::string& Body);

    static std::string UrlEncode(std::string_view Text);

    // Tests and tools shorten these; the defaults are what the programs use.
    void SetTimeouts(const THTTPTimeouts& timeouts);

    // The value of the Host line for a gateway address: the host name, followed by ":port"
    // only when the address names a port other than its scheme's default.
    static std::string HostHeader(std::string_view url);

  private:
    struct CurlCleanup {
        void operator()(void* curl) const;
    };

    std::string url_;
    std::string host_;
    std::unique_ptr<void, CurlCleanup> curl_;  // CURL*
};

}  // namespace marketplace
