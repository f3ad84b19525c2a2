#include "base/AtomicFile.h"

#include "support/TempDir.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

namespace base {
namespace {

size_t EntriesIn(const std::filesystem::path& dir) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) {
        ++count;
    }
    return count;
}

mode_t ModeOf(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(ReplaceFile, ReplacesTheWholeFile) {
    support::TempDir dir;
    dir.Write("page.html", "an older and much longer page");
    ReplaceFile(dir.path() / "page.html", "new");
    EXPECT_EQ(dir.Read("page.html"), "new");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(ReplaceFile, FailsWithoutLeavingATemporaryFile) {
    support::TempDir dir;
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

TEST(AtomicFile, KeepsThePermissionBitsButNeverTheSpecialOnes) {
    const struct {
        mode_t before;
        mode_t after;
    } cases[] = {
        {0751, 0751}, {0600, 0600}, {04755, 0755}, {02750, 0750}, {01777, 0777}, {07644, 0644},
    };
    for (const auto& c : cases) {
        support::TempDir dir;
        const std::filesystem::path target = dir.path() / "Brannick";
        dir.Write("Brannick", "old");
        ASSERT_EQ(chmod(target.c_str(), c.before), 0);
        ReplaceFile(target, "new");
        EXPECT_EQ(ModeOf(target), c.after) << std::oct << c.before;
        EXPECT_EQ(dir.Read("Brannick"), "new");
    }

    support::TempDir dir;
    const mode_t umaskWas = umask(022);
    ReplaceFile(dir.path() / "fresh", "new");
    umask(umaskWas);
    EXPECT_EQ(ModeOf(dir.path() / "fresh"), 0644u);
}

TEST(AtomicFile, GivesTheModeAskedForOnlyToAFileWithoutPredecessor) {
    support::TempDir dir;
    dir.Write("Brannick.kept", "old");
    ASSERT_EQ(chmod((dir.path() / "Brannick.kept").c_str(), 0700), 0);
    // The mode asked for is set as it is, not cut down by the umask.
    const mode_t umaskWas = umask(077);
    for (const char* name : {"Brannick", "Brannick.kept"}) {
        AtomicFile file(dir.path() / name, std::filesystem::perms(0755));
        file.Write("new");
        file.Commit();
    }
    umask(umaskWas);
    EXPECT_EQ(ModeOf(dir.path() / "Brannick"), 0755u);
    EXPECT_EQ(ModeOf(dir.path() / "Brannick.kept"), 0700u);
    EXPECT_EQ(dir.Read("Brannick.kept"), "new");
}

TEST(AtomicFile, LeavesTheTargetAloneUntilCommitted) {
    support::TempDir dir;
    dir.Write("UpGrade_New.xml", "earlier");
    {
        AtomicFile file(dir.path() / "UpGrade_New.xml");
        file.Write("first half, ");
        EXPECT_EQ(dir.Read("UpGrade_New.xml"), "earlier");
        EXPECT_EQ(EntriesIn(dir.path()), 2u);
    }
    EXPECT_EQ(dir.Read("UpGrade_New.xml"), "earlier");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);

    AtomicFile file(dir.path() / "UpGrade_New.xml");
    file.Write("first half, ");
    file.Write("second half");
    file.Commit();
    EXPECT_EQ(dir.Read("UpGrade_New.xml"), "first half, second half");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, NamesEveryTemporaryFileUniquely) {
    support::TempDir dir;
    AtomicFile first(dir.path() / "Qorvane");
    AtomicFile second(dir.path() / "Qorvane");
    first.Write("one");
    second.Write("two");
    second.Commit();
    first.Commit();
    EXPECT_EQ(dir.Read("Qorvane"), "one");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace base
