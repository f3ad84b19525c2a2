#pragma once

#include <stdexcept>
#include <string>

namespace soap {

// Any failed call. The message names the operation and the endpoint and says what went wrong,
// except for Fault, whose message is the service's own faultstring.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// No answer: the host name cannot be resolved, no connection, the send or the receive failed
// or took longer than the binding allows.
class TransportError : public Error {
  public:
    using Error::Error;
};

// An HTTP status that ends the call (300 and above, or 500 without a SOAP fault).
class StatusError : public Error {
  public:
    StatusError(const std::string& message, int status) : Error(message), status_(status) {}
    int status() const { return status_; }

  private:
    int status_;
};

// An answer that is not a SOAP 1.1 envelope of the expected shape.
class AnswerError : public Error {
  public:
    using Error::Error;
};

// The service answered with a SOAP fault; what() is its faultstring.
class Fault : public Error {
  public:
    Fault(const std::string& faultString, std::string faultCode, std::string endpoint, int status)
        : Error(faultString),
          faultCode_(std::move(faultCode)),
          endpoint_(std::move(endpoint)),
          status_(status) {}
    const std::string& faultCode() const { return faultCode_; }
    const std::string& endpoint() const { return endpoint_; }
    int status() const { return status_; }

  private:
    std::string faultCode_;
    std::string endpoint_;
    int status_;
};

// "SOAP call <operation> to <endpoint> failed (HTTP status <status>): <what>"; no status part
// when status is 0.
std::string FailureMessage(const std::string& operation, const std::string& endpoint,
                           const std::string& what, int status = 0);

}  // namespace soap
