#pragma once

#include "platform/Result.h"

#include <string>

namespace platform {

// Starts the program file at `path` (a full path; no arguments are passed) and returns as soon
// as it runs, without waiting for it to end. The program is detached from the caller: it leads
// its own session and process group, reads and writes /dev/null, inherits the environment, the
// current directory and no other descriptor, and starts with every signal at its default and
// none blocked. It is never the caller's child, so it leaves no zombie behind and outlives the
// caller. Failure (a missing file, no permission, not a program) is reported, never thrown.
//
// Safe to call from a program with other threads running: the work done between fork and exec
// touches nothing another thread may hold.
Result StartProgram(const std::string& path);

}  // namespace platform
