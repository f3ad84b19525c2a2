#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sandbox {

// A form body the gateway cannot decode.
class FormError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

using FormFields = std::vector<std::pair<std::string, std::string>>;

// application/x-www-form-urlencoded: pairs split at "&", name and value at the first "=", "+"
// read as a blank and "%XX" as the byte XX. A "%" without two hexadecimal digits throws.
FormFields DecodeForm(std::string_view body);

// The RFC 1321 digest as 32 uppercase hexadecimal digits.
std::string Md5UpperHex(std::string_view bytes);

// The text the gateway signs: the secret, then name and value of every parameter except
// sip_sign in ascending byte order of the names, with nothing between them.
std::string SignatureText(std::string_view secret,
                          const std::map<std::string, std::string>& params);

}  // namespace sandbox
