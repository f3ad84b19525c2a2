#include "search/ReplaceFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

namespace search {
namespace {

size_t EntriesIn(const std::filesystem::path& dir) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) {
        ++count;
    }
    return count;
}

TEST(ReplaceFile, ReplacesTheWholeFile) {
    testsupport::TempDir dir;
    dir.Write("page.html", "an older and much longer page");
    ReplaceFile(dir.path() / "page.html", "new");
    EXPECT_EQ(dir.Read("page.html"), "new");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(ReplaceFile, FailsWithoutLeavingATemporaryFile) {
    testsupport::TempDir dir;
    // A directory in the file's place cannot be replaced by a file.
    std::filesystem::create_directories(dir.path() / "page.html" / "inside");
    try {
        ReplaceFile(dir.path() / "page.html", "new");
        ADD_FAILURE() << "a directory was replaced";
    } catch (const std::system_error& e) {
        EXPECT_EQ(std::string(e.what()).find("cannot write " + (dir.path() / "page.html").string()),
                  0u)
            << e.what();
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "page.html" / "inside"));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
    EXPECT_THROW(ReplaceFile(dir.path() / "missing" / "page.html", "new"), std::system_error);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace search
