#include "updater/UpdateList.h"

#include "base/Encoding.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace updater {
namespace {

constexpr size_t kShownLineCharacters = 40;

// Line `number` (1-based) of the source, as the parser counts lines: only LF ends one.
std::string_view SourceLine(std::string_view bytes, int number) {
    size_t start = 0;
    for (int line = 1; line < number; ++line) {
        const size_t lf = bytes.find('\n', start);
        if (lf == std::string_view::npos) {
            return {};
        }
        start = lf + 1;
    }
    std::string_view line = bytes.substr(start, bytes.find('\n', start) - start);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

// The first `count` characters of a source line. A line that is not UTF-8 comes from a list in
// the GBK family, the only other encoding the lists are written in.
std::string FirstCharacters(std::string_view line, size_t count) {
    const std::string text = base::IsValidUtf8(line) ? std::string(line) : base::GbkToUtf8(line);
    return std::string(base::Utf8Prefix(text, count));
}

std::string ReadValue(const xmlNode* entry, size_t position) {
    const xmlNode* node = entry->children;
    for (size_t i = 0; i < position && node != nullptr; ++i) {
        node = node->next;
    }
    if (node == nullptr) {
        throw UpdateListError("List index out of bounds (" + std::to_string(position) + ")");
    }
    // A value is an element around its text; a bare text, comment or instruction is not one.
    if (node->type != XML_ELEMENT_NODE) {
        throw base::XmlValueError();
    }
    std::optional<std::string> value = base::ElementValue(node);
    if (!value) {
        throw UpdateListError("Could not convert variant of type (Null) into type (String)");
    }
    return std::move(*value);
}

}  // namespace

base::XmlDocument ParseUpdateList(std::string_view bytes, const base::XmlParseOptions& options) {
    try {
        return base::XmlDocument::Parse(bytes, options);
    } catch (const base::XmlParseError& e) {
        throw UpdateListError(e.reason() + "\r\nLine: " + std::to_string(e.line()) + "\r\n" +
                              FirstCharacters(SourceLine(bytes, e.line()), kShownLineCharacters));
    }
}

std::vector<UpdateListEntry> ReadUpdateListEntries(const base::XmlDocument& doc, size_t positions) {
    std::vector<UpdateListEntry> entries;
    for (const xmlNode* entry = doc.Root()->children; entry != nullptr; entry = entry->next) {
        UpdateListEntry& values = entries.emplace_back();
        for (size_t position = 0; position < positions; ++position) {
            values.push_back(ReadValue(entry, position));
        }
    }
    return entries;
}

std::vector<UpdateListEntry> ReadUpdateListFile(const std::string& path, size_t positions) {
    if (std::filesystem::is_directory(path)) {
        throw UpdateListError("Cannot read the update list " + path + ": it is a directory");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        throw UpdateListError("Cannot open the update list " + path);
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ReadUpdateListEntries(ParseUpdateList(bytes), positions);
}

}  // namespace updater
