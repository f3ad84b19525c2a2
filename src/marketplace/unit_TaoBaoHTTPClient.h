#pragma once

#include "base/CurlTimeouts.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace base {
class CurlEasy;
}

namespace marketplace {

// The gateway's transport: one form post, an answer that is UTF-8 or nothing.
class THTTPClient {
  public:
    // Throws std::invalid_argument when GatewayUrl is not an http or https address.
    explicit THTTPClient(std::string GatewayUrl);
    ~THTTPClient();
    THTTPClient(const THTTPClient&) = delete;
    THTTPClient& operator=(const THTTPClient&) = delete;

    // The answer body, or "" on any failure: no connection, a status outside 2xx, a Location
    // header, a time-out, a broken answer, an answer over 32 MiB, a body that is not valid
    // UTF-8. Blocks for the whole exchange. Throws only when it cannot try at all:
    // std::bad_alloc when memory runs out, std::runtime_error when libcurl refuses an option.
    std::string PostRequest(const std::string& Body);

    // The form encoding of each byte: letters, digits, "-", "." and "_" stay, a blank becomes
    // "+", every other byte "%XX" with uppercase digits ("&" and "=" included, so that a value
    // cannot split the form).
    static std::string UrlEncode(std::string_view Text);

    // Tests and tools shorten these; kDefaultTimeouts is what the programs use.
    void SetTimeouts(const base::CurlTimeouts& timeouts);

    static constexpr base::CurlTimeouts kDefaultTimeouts{.total = std::chrono::seconds(120)};

    // The value of the Host line for a gateway address: the host name, followed by ":port"
    // only when the address names a port other than its scheme's default.
    static std::string HostHeader(std::string_view url);

  private:
    std::string url_;
    std::string host_;
    std::unique_ptr<base::CurlEasy> curl_;
};

}  // namespace marketplace
