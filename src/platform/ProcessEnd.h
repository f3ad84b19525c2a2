#pragma once

namespace platform {

// Ends the process at once with exitCode, from any thread: standard output and standard error
// are written out first, then nothing else of the process runs, no static destructor, no
// atexit handler, no further work of any other thread. A program whose worker threads may be
// in the middle of their work ends this way, so that no destructor pulls an object from under
// them.
[[noreturn]] void EndProcessNow(int exitCode);

}  // namespace platform
