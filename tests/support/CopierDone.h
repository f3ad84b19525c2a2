#pragma once

#include <chrono>
#include <filesystem>

namespace support {

// The pipe "Brannick.done" by which the stand-in copier (sandbox/files/Brannick) says that it
// has run. Made and opened for reading in the given directory before the copier can start, so
// that the copier finds a reader there; removed with the object.
class CopierDone {
  public:
    // Throws std::runtime_error when the pipe cannot be made or opened.
    explicit CopierDone(const std::filesystem::path& dir);
    ~CopierDone();
    CopierDone(const CopierDone&) = delete;
    CopierDone& operator=(const CopierDone&) = delete;

    // Waits up to `timeout` for the copier's line; true once it has written it.
    bool Await(std::chrono::milliseconds timeout) const;

  private:
    std::filesystem::path path_;
    int fd_ = -1;
};

}  // namespace support
