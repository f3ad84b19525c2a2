#pragma once

#include "platform/UniqueFd.h"

#include <stop_token>
#include <string>
#include <thread>

namespace platform {

// For the life of the object, Ctrl-C (SIGINT) no longer ends the process: it requests the stop
// of interrupted() instead, so that the program can end its work in order. A thread of the
// object's own takes the signal; further ones are taken and dropped.
//
// The signal is blocked in the constructing thread, and every thread started from it later
// inherits that: construct the object before the program starts any thread, and destroy it on
// the same thread. If watching cannot be set up, error() says why and SIGINT keeps its default.
class InterruptWatch {
  public:
    InterruptWatch();
    // Stops watching and unblocks the signal again, unless it was blocked before; a SIGINT
    // that has not been taken yet is dropped.
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    std::stop_token interrupted() const { return interrupted_.get_token(); }
    // Empty while watching.
    const std::string& error() const { return error_; }

  private:
    void Watch();
    void Unblock();

    std::stop_source interrupted_;
    std::string error_;
    UniqueFd signalFd_;
    UniqueFd wakeFd_;
    // SIGINT was blocked here and was not before.
    bool blocked_ = false;
    std::jthread watcher_;
};

}  // namespace platform
