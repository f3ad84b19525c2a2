#pragma once

#include <string>

namespace support {

// The application the programs sign their gateway requests with, as the tests expect to see it
// on the wire and as the sandbox knows it.
inline const std::string kAppKey = "38015";
inline const std::string kAppSecret = "7c3e91a05b2d48f6a0e1d9c4b8f27a63";

}  // namespace support
