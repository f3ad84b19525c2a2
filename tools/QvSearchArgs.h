#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvsearch {

struct TArgs {
    std::optional<std::string> gateway;  // the built-in gateway when absent
    std::string startPrice;
    std::string endPrice;
    int32_t minLevel = 0;
    bool force = false;
    int32_t count = 10;
    std::string version = "1.00";
    int32_t parallel = 8;  // requests in flight at most
    bool noCache = false;  // every item's seller asked again
    std::string keyword;   // the words joined with one blank, not yet prepared
    bool help = false;
};

// A command line that cannot be run; the message says what is wrong.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name. Options may come as "--name value" or
// "--name=value", before or between the keyword's words; "--" ends the options.
TArgs ParseArgs(const std::vector<std::string>& args);

extern const char* const kUsage;

}  // namespace qvsearch
