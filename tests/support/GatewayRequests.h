#pragma once

#include "base/DateTime.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace support {

// The RFC 1321 digest of bytes as 32 uppercase hexadecimal digits, as the gateway's sip_sign is
// written. Independent of the sandbox's signing; the digest itself is checked by MD5Test.
std::string UpperMd5(std::string_view bytes);

// 2009-03-03 08:05:09, local time, whenever asked: the clock of the tests that sign requests or
// expect the time a service records.
base::Clock FixedClock();

// The head with which every request goes to the gateway at 127.0.0.1:port, for a body of that
// many bytes.
std::string RequestHead(int port, size_t bodySize);

// text with its "{SIGN}" replaced by sign.
std::string WithSign(std::string text, const std::string& sign);

}  // namespace support
