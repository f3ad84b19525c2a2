#include "platform/InstanceLock.h"

#include "platform/RuntimeDir.h"

#include <exception>

namespace platform {
namespace {

std::filesystem::path LockFile(std::string_view name, const std::filesystem::path& dir) {
    return dir / (RuntimeFileName(name) + ".lock");
}

}  // namespace

InstanceLock::InstanceLock(std::string_view name) {
    try {
        lock_ = FileLock::Take(LockFile(name, UserRuntimeDir()));
    } catch (const std::exception& e) {
        lock_.state = State::Unavailable;
        lock_.error = e.what();
    }
}

InstanceLock::InstanceLock(std::string_view name, const std::filesystem::path& dir)
    : lock_(FileLock::Take(LockFile(name, dir))) {}

}  // namespace platform
