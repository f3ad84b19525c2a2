#include "platform/ProcessEnd.h"

#include <unistd.h>

#include <cstdio>

namespace platform {

void EndProcessNow(int exitCode) {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(exitCode);
}

}  // namespace platform
