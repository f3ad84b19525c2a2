#pragma once

#include <filesystem>
#include <string>

namespace support {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // path() with "/" appended, as the program's directory helpers return directories.
    std::string dir() const { return path_.string() + "/"; }

    // Writes the file `name` below path(), making its directories. Throws std::runtime_error when
    // it cannot be written.
    void Write(const std::string& name, const std::string& bytes) const;
    // The file `name` below path(), as ReadFile reads it.
    std::string Read(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

// Changes the current directory for the life of the object.
class ScopedCwd {
  public:
    explicit ScopedCwd(const std::filesystem::path& dir);
    ~ScopedCwd();
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

  private:
    std::filesystem::path previous_;
};

}  // namespace support
