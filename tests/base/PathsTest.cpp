#include "base/Paths.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(GetWorkDir, FollowsTheCurrentDirectoryOnEveryCall) {
    support::TempDir a;
    support::TempDir b;
    const auto canonical = [](const support::TempDir& d) {
        return std::filesystem::canonical(d.path()).string() + "/";
    };
    {
        support::ScopedCwd cwd(a.path());
        EXPECT_EQ(base::GetWorkDir(), canonical(a));
    }
    support::ScopedCwd cwd(b.path());
    EXPECT_EQ(base::GetWorkDir(), canonical(b));
}

TEST(GetAppPath, IsTheProgramsDirectoryWhateverTheCurrentDirectory) {
    support::TempDir elsewhere;
    support::ScopedCwd cwd(elsewhere.path());
    const std::string dir = base::GetAppPath();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(dir + "base_test"));
}

}  // namespace
