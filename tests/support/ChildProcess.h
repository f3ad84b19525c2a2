#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace support {

// A program running as a child of the test, with its standard input and output on pipes and its
// standard error the test's or a file. Killed and reaped at the end of the object's life if it
// still runs.
class ChildProcess {
  public:
    // Starts argv[0] (a full path) with argv as its arguments, in cwd when given, its standard
    // error written to errorFile (made or emptied first) when given. Throws std::runtime_error
    // when it cannot be started.
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::filesystem::path& cwd = {},
                          const std::filesystem::path& errorFile = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line the child writes, without its line break; "" once its output ended. Blocks
    // until a whole line or the end has come.
    std::string ReadLine();
    // Everything the child writes from here until its output ends. Blocks until then.
    std::string ReadAll();
    // Throws std::runtime_error when the text cannot be written whole, also when the child has
    // closed its input or ended.
    void Write(std::string_view text);
    void CloseInput();
    void Kill(int signal);
    // Waits for the child to end; its exit code, or 128 + signal when a signal ended it.
    int Wait();
    // The same, waiting at most `timeout`; nothing, with the child left running, when it has
    // not ended by then.
    std::optional<int> WaitFor(std::chrono::milliseconds timeout);
    // After Wait or WaitFor: whether a signal ended the child (rather than an exit of its own).
    bool endedBySignal() const { return endedBySignal_; }

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    bool endedBySignal_ = false;
};

// How a program run to its end ended.
struct Finished {
    int code = 0;        // as ChildProcess::Wait gives it
    std::string output;  // all of its standard output
};

// Runs a program as ChildProcess starts it, with its standard input closed, and waits for it to
// end. Blocks until then; throws std::runtime_error when it cannot be started.
Finished RunToEnd(const std::vector<std::string>& argv, const std::filesystem::path& cwd = {},
                  const std::filesystem::path& errorFile = {});

// Watches a process, whoever's child it is, from construction on: its number freed and taken by
// another process later is not mistaken for it.
class ProcessWatch {
  public:
    // A process that is gone already is watched as ended. Throws std::runtime_error when the
    // process cannot be watched.
    explicit ProcessWatch(pid_t pid);
    ~ProcessWatch();
    ProcessWatch(const ProcessWatch&) = delete;
    ProcessWatch& operator=(const ProcessWatch&) = delete;

    // Waits up to `timeout` for the process to end; true once it has. Throws std::runtime_error
    // when the wait fails.
    bool AwaitEnd(std::chrono::milliseconds timeout) const;

  private:
    pid_t pid_;
    int fd_ = -1;  // -1: the process was gone when the watch began
};

}  // namespace support
