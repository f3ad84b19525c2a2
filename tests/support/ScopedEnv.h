#pragma once

#include <optional>
#include <string>

namespace support {

// Sets an environment variable (or clears it, for nullptr) for the life of the object, then puts
// back what was there before.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace support
