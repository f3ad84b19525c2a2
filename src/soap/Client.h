#pragma once

#include "base/CurlTimeouts.h"
#include "soap/Interface.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace base {
class CurlEasy;
}

namespace soap {

// The largest answer a call takes; a larger one fails the call. An update list of a few hundred
// files is a few dozen kilobytes.
inline constexpr std::size_t kMaxAnswerBytes = 32 * 1024 * 1024;

// Where and how one client sends its calls.
struct Binding {
    // "http://" + host, optionally ":" + port, + path.
    std::string endpoint;
    // On: Content-Type: text/xml; charset="utf-8". Off: Content-Type: text/xml.
    bool utf8ContentType = false;
    base::CurlTimeouts timeouts{.total = std::chrono::seconds(60)};
};

// A SOAP 1.1 document/literal client: each call is one HTTP/1.1 POST, kept alive for the next
// call of the same client. Proxies come from the environment (http_proxy, no_proxy). One
// client belongs to one thread.
class Client {
  public:
    // Once stop is requested, a call sends nothing and a call under way is abandoned within
    // about a second; either throws TransportError. Throws std::runtime_error when libcurl
    // cannot start or refuses an option.
    Client(Interface interface, Binding binding, std::stop_token stop = {});
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Sends the operation with the arguments in declaration order and blocks until the answer
    // is in. Returns the result text when the operation has a result, std::nullopt when it has
    // none. Throws TransportError, StatusError, AnswerError (an answer over kMaxAnswerBytes
    // included) or Fault (Errors.h); std::invalid_argument for arguments that do not match the
    // operation; std::bad_alloc when memory runs out.
    std::optional<std::string> Call(const Operation& operation,
                                    const std::vector<Value>& arguments);

    const Binding& binding() const { return binding_; }

    static constexpr const char* UserAgent = "Vexmoor-SOAP/1.0";

  private:
    Interface interface_;
    Binding binding_;
    std::unique_ptr<base::CurlEasy> curl_;
};

}  // namespace soap
