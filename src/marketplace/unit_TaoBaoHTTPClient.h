#pragma once

#include <string>
#include <string_view>

namespace marketplace {

// The gateway's transport: one form post, an answer that is UTF-8 or nothing.
class THTTPClient {
  public:
    explicit THTTPClient(std::string GatewayUrl);
    ~THTTPClient();
    THTTPClient(const THTTPClient&) = delete;
    THTTPClient& operator=(const THTTPClient&) = delete;

    // The answer body, or "" on any failure: no connection, a status outside 2xx, a Location
    // header, a time-out, a broken answer, a body that is not valid UTF-8.
    std::string PostRequest(const std::string& Body);

    static std::string UrlEncode(std::string_view Text);

  private:
    std::string url_;
    void* curl_;  // CURL*, owned
};

}  // namespace marketplace
