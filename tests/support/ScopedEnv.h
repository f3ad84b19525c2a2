#pragma once

#include <optional>
#include <string>

namespace support {

// Sets an environment variable (or clears it, for nullptr) for the life of the object, then puts
// back what was there before.
class ScopedEnv {
  public:
    // What becomes of a value the variable has already.
    enum class IfSet { Replace, Keep };

    ScopedEnv(const char* name, const char* value, IfSet ifSet = IfSet::Replace);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace support
