#include "base/IniFile.h"

#include "base/AsciiCase.h"
#include "base/Encoding.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace base {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The file's bytes, or nothing when there is no such file.
std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            return std::nullopt;
        }
        throw std::system_error(error, std::generic_category(), "cannot open " + path);
    }
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw std::system_error(EIO, std::generic_category(), "cannot read " + path);
    }
    return bytes;
}

std::string DecodeSettingsText(std::string bytes) {
    if (!IsValidUtf8(bytes)) {
        return GbkToUtf8(bytes);
    }
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (bytes.starts_with(byteOrderMark)) {
        bytes.erase(0, byteOrderMark.size());
    }
    return bytes;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                const std::string& defaultValue) const {
    const std::optional<std::string> bytes = ReadFileBytes(path_);
    if (!bytes) {
        return defaultValue;
    }
    const std::string text = DecodeSettingsText(*bytes);
    bool inSection = false;
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) {
            lineEnd = text.size();
        }
        std::string_view line(text.data() + lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (inSection) {
                break;  // only the first section of that name counts
            }
            const size_t close = line.find(']');
            const std::string_view name =
                Trim(line.substr(1, (close == std::string_view::npos ? line.size() : close) - 1));
            inSection = SameIgnoringAsciiCase(name, section);
            continue;
        }
        const size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos ||
            !SameIgnoringAsciiCase(Trim(line.substr(0, equals)), key)) {
            continue;
        }
        const std::string_view value = Unquote(Trim(line.substr(equals + 1)));
        return std::string(base::Utf8Prefix(value, MaxValueLength));
    }
    return defaultValue;
}

}  // namespace base
