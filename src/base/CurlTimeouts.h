#pragma once

#include <chrono>

namespace base {

// How long a libcurl transfer may take before it counts as failed. Every HTTP user of the
// project (the gateway, the SOAP services, the downloads) takes its limits in this form.
struct CurlTimeouts {
    std::chrono::milliseconds connect{10'000};
    // Nothing received for this long. Whole seconds, the unit in which libcurl watches a
    // transfer's speed; at least one.
    std::chrono::seconds stall{30};
    // The whole transfer, connecting included; 0 sets no limit.
    std::chrono::milliseconds total{0};
};

}  // namespace base
