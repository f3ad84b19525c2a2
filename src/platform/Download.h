#pragma once

#include "platform/Result.h"

#include <chrono>
#include <string>

namespace platform {

struct DownloadLimits {
    // The longest wait for the connection to the server.
    std::chrono::milliseconds connect{10000};
    // A download that receives nothing for this long is given up. Whole seconds, the unit in
    // which libcurl watches a transfer's speed.
    std::chrono::seconds stall{30};
    // A PEM file of certificates to trust instead of the system's store; empty: the system's.
    std::string caFile;
};

// Fetches an http or https URL into the file `target`, following redirects and verifying
// certificates. The body is written to a temporary file beside the target, which replaces the
// target (taking over its permission bits when it existed) only after the whole body arrived
// with a 2xx status. On any failure the target is untouched, no temporary file remains, and the
// reason is reported; nothing is thrown.
Result DownloadToFile(const std::string& url, const std::string& target,
                      const DownloadLimits& limits = {});

}  // namespace platform
