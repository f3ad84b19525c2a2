#include "marketplace/unit_TBBasic.h"

namespace marketplace {

// Set by the build from the cache variable QORVANE_GATEWAY_URL.
const char* const kGatewayUrl = QORVANE_GATEWAY_URL;

}  // namespace marketplace
