#pragma once

#include <string>
#include <string_view>

namespace base {

// A settings file in INI form, read afresh on every call so that a replaced file takes effect
// at once. The file is UTF-8 when it is valid UTF-8, otherwise GBK; values come back as UTF-8.
//
// Section and key names match without regard to the case of Latin letters. A value is the
// text after the first "=", blanks around it removed, then one pair of enclosing single or
// double quotes removed, then cut to MaxValueLength characters. Lines starting with ";" or "#"
// are comments; of duplicate sections or keys the first one counts.
class IniFile {
  public:
    static constexpr size_t MaxValueLength = 2047;

    explicit IniFile(std::string path) : path_(std::move(path)) {}

    // defaultValue when the file, the section or the key is missing; a key with nothing after
    // its "=" gives the empty text. A file that exists but cannot be opened throws
    // std::system_error.
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& defaultValue) const;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace base
