#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platformtest {

// The test helper program (platform_test_helper) running as a child of the test, with its
// standard input and output on pipes. Killed and reaped at the end of the object's life if it
// still runs.
class ChildProcess {
  public:
    // Starts the helper with these arguments, in `cwd` when given.
    explicit ChildProcess(const std::vector<std::string>& args,
                          const std::filesystem::path& cwd = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // The next line the helper writes, without its line break; "" once its output ended.
    std::string ReadLine();
    void Write(std::string_view text);
    void CloseInput();
    void Kill(int signal);
    // Waits for the helper to end; its exit code, or 128 + signal when a signal ended it.
    int Wait();

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

// The helper program's full path.
std::string HelperPath();

}  // namespace platformtest
