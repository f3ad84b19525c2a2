#pragma once

#include "platform/UniqueFd.h"

#include <filesystem>
#include <string>

namespace platform {

// An exclusive flock on a file, taken without waiting. The kernel drops it when the last
// descriptor of the open file goes, so it ends with its process however the process ends; the
// file itself is left in place, because removing it would let two processes lock two different
// files of the same name.
struct FileLock {
    enum class State { Owned, HeldByAnother, Unavailable };

    static FileLock Take(const std::filesystem::path& file);

    State state = State::Unavailable;
    UniqueFd fd;        // open while Owned
    std::string error;  // why Unavailable
};

}  // namespace platform
