#pragma once

#include <stdexcept>
#include <string>

namespace base {

// A text that cannot be read as the number or date-time it should hold.
class ConvertError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace base
