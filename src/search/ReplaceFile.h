#pragma once

#include <filesystem>
#include <string_view>

namespace search {

// Writes bytes to a new file beside path and renames it over path: a reader, and a failed write,
// sees the previous file whole or the new one whole, never a part. Throws std::system_error
// naming the file when it cannot be written or renamed; no temporary file stays behind.
void ReplaceFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace search
