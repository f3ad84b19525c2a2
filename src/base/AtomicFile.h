#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace base {

// A file written beside its target under a unique temporary name and moved over the target in
// one step once complete, so that a reader, a crash or a power cut meets either the old file
// whole or the new one whole. The new file keeps the permission bits (mode & 0777) of the file
// it replaces, never its setuid, setgid or sticky bit; a file that had no predecessor gets the
// mode asked for when the object was made, else the usual 0666 less the umask. Until Commit
// succeeds the target is untouched, and a temporary file that was not committed is removed when
// the object ends.
class AtomicFile {
  public:
    // Creates the temporary file in the target's directory. newFileMode: the permission bits
    // (mode & 0777) of a target that does not exist yet, exactly as given, the umask not
    // applied. Throws std::system_error naming the target when it cannot.
    explicit AtomicFile(std::filesystem::path target,
                        std::optional<std::filesystem::perms> newFileMode = std::nullopt);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Appends bytes. Throws std::system_error naming the target when they cannot be written.
    void Write(std::string_view bytes);

    // Takes over the replaced file's permission bits (or sets newFileMode), flushes the data to the
    // disk and renames the temporary file over the target. Throws std::system_error naming the
    // target on any failure, which leaves the target as it was. At most once.
    void Commit();

    const std::filesystem::path& target() const { return target_; }

  private:
    [[noreturn]] void Fail(int error) const;

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::optional<std::filesystem::perms> newFileMode_;
    int fd_ = -1;
    bool committed_ = false;
};

// Replaces the file at target with bytes through an AtomicFile. Throws std::system_error
// naming the target when it cannot be written or replaced.
void ReplaceFile(const std::filesystem::path& target, std::string_view bytes);

}  // namespace base
