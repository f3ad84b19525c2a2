#pragma once

#include <string>

namespace base {

// The current directory as the system reports it now, with "/" appended. Asked afresh on every
// call: the search program builds every file name from it.
std::string GetWorkDir();

// The directory of the running program file, with "/" appended; independent of the current
// directory. The updater builds every file name from it.
std::string GetAppPath();

}  // namespace base
