#pragma once

#include "platform/FileLock.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// A single-instance lock on a name, per user, held for the life of the object; a program keeps
// it for the life of its process. Taking it never waits: a second process of the same user
// learns at once that the name is held. The kernel releases it when the holder ends, also by a
// crash or SIGKILL, so no stale lock ever blocks the next start.
//
// It is an flock on a file in the user's private runtime directory. An abstract unix socket
// would also vanish with its process, but abstract names are shared by every user of the
// network namespace, so another user could bind the name first and keep the program from ever
// starting; a file in a directory only the user can enter is out of everyone else's reach.
class InstanceLock {
  public:
    using State = FileLock::State;

    // Takes the lock in UserRuntimeDir().
    explicit InstanceLock(std::string_view name);
    // Takes the lock in the given directory, which the caller keeps private.
    InstanceLock(std::string_view name, const std::filesystem::path& dir);

    // Owned: this object holds the lock. HeldByAnother: another holder exists, in this process
    // or another. Unavailable: the lock could not be tried at all (see error()).
    State state() const { return lock_.state; }
    const std::string& error() const { return lock_.error; }

  private:
    FileLock lock_;
};

}  // namespace platform
