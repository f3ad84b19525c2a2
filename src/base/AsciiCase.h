#pragma once

#include <string_view>

namespace base {

// True when a and b have the same length and differ at most in the case of the Latin letters
// A-Z; every other byte (UTF-8 included) must match exactly, whatever the locale.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace base
