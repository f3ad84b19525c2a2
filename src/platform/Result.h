#pragma once

#include <string>
#include <utility>

namespace platform {

// The outcome of an operation whose caller may go on either way: success, or a failure with a
// message a person can act on.
class Result {
  public:
    static Result Success() { return Result(true, {}); }
    static Result Failure(std::string message) { return Result(false, std::move(message)); }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    // Empty on success.
    const std::string& error() const { return error_; }

  private:
    Result(bool ok, std::string error) : ok_(ok), error_(std::move(error)) {}
    bool ok_;
    std::string error_;
};

}  // namespace platform
