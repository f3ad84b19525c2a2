#include "base/Paths.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(GetWorkDir, FollowsTheCurrentDirectoryOnEveryCall) {
    testsupport::TempDir a;
    testsupport::TempDir b;
    const auto canonical = [](const testsupport::TempDir& d) {
        return std::filesystem::canonical(d.path()).string() + "/";
    };
    {
        testsupport::ScopedCwd cwd(a.path());
        EXPECT_EQ(base::GetWorkDir(), canonical(a));
    }
    testsupport::ScopedCwd cwd(b.path());
    EXPECT_EQ(base::GetWorkDir(), canonical(b));
}

TEST(GetAppPath, IsTheProgramsDirectoryWhateverTheCurrentDirectory) {
    testsupport::TempDir elsewhere;
    testsupport::ScopedCwd cwd(elsewhere.path());
    const std::string dir = base::GetAppPath();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(dir + "base_test"));
}

}  // namespace
