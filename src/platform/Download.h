#pragma once

#include "base/CurlTimeouts.h"
#include "platform/Result.h"

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

struct DownloadLimits {
    // No limit on the whole transfer: a large file on a slow line may take long, as long as it
    // keeps coming.
    base::CurlTimeouts timeouts{};
    // A PEM file of certificates to trust instead of the system's store; empty: the system's.
    std::string caFile{};
    // The permission bits of a target that did not exist before, exactly as given (the umask
    // does not apply); none: 0666 less the umask. A replaced target keeps its own.
    std::optional<std::filesystem::perms> newFileMode{};
};

// Fetches an http or https URL into the file `target`, following redirects (never from https
// to plain http) and verifying certificates. Blocks until the transfer ends. The body is
// written, as it arrives, into a base::AtomicFile beside the target, which replaces the target
// (taking over its permission bits, mode & 0777; a new target gets limits.newFileMode) only
// after the whole body arrived with a 2xx status; the status is checked before the first byte
// is stored, so the body of an error answer never reaches the disk. On any failure the target is
// untouched, no temporary file remains, and the reason is reported; nothing is thrown.
Result DownloadToFile(const std::string& url, const std::string& target,
                      const DownloadLimits& limits = {});

}  // namespace platform
