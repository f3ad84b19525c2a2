#pragma once

#include <filesystem>
#include <string>

namespace support {

// Every byte of the file. Throws std::runtime_error, naming the file, when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);

}  // namespace support
