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
// Safe to call from a program with other threads running, and from any of its threads. The
// intermediate process is a copy of the caller with only the calling thread in it, so a lock
// that another thread held at the fork (malloc's, stdio's, any mutex) stays locked there for
// good; it therefore calls only async-signal-safe functions, which take no such lock:
// posix_spawn (a clone with its own stack and exec, no allocation), write and _exit. Everything
// that allocates (the argument vector, the spawn attributes and file actions, the pipe) is made
// before the fork. All signals are blocked before the fork and stay blocked in the intermediate
// until it ends, so no handler written for the caller runs in the copy: a signal sent to it
// meanwhile stays pending and is discarded when it exits, and the program itself starts with
// every handler at its default and an empty mask, set by posix_spawn in the new process before
// the exec. The caller's mask is restored in the caller right after the fork; its other threads
// keep their masks and receive signals as usual meanwhile.
Result StartProgram(const std::string& path);

}  // namespace platform
