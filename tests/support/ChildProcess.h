#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace support {

// A program running as a child of the test, with its standard input and output on pipes (its
// standard error is the test's). Killed and reaped at the end of the object's life if it still
// runs.
class ChildProcess {
  public:
    // Starts argv[0] (a full path) with argv as its arguments, in cwd when given. Throws
    // std::runtime_error when it cannot be started.
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::filesystem::path& cwd = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // The next line the child writes, without its line break; "" once its output ended. Blocks
    // until a whole line or the end has come.
    std::string ReadLine();
    // Everything the child writes from here until its output ends. Blocks until then.
    std::string ReadAll();
    // Throws std::runtime_error when the text cannot be written whole.
    void Write(std::string_view text);
    void CloseInput();
    void Kill(int signal);
    // Waits for the child to end; its exit code, or 128 + signal when a signal ended it.
    int Wait();

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

}  // namespace support
