#pragma once

#include <string>
#include <string_view>

namespace marketplace {

// The RFC 1321 digest of bytes as 32 lowercase hexadecimal digits, high half of each byte first.
std::string MD5(std::string_view bytes);

}  // namespace marketplace
