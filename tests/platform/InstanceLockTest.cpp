#include "platform/InstanceLock.h"
#include "platform/RuntimeDir.h"

#include "support/ChildProcess.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace {

using platform::InstanceLock;
using support::ChildProcess;

// The helper program (Helper.cpp) that plays the other process.
const std::string kHelper = PLATFORM_TEST_HELPER;
using State = InstanceLock::State;

constexpr char kName[] = "Vexmoor_UpGrade";

TEST(InstanceLock, ASecondProcessLearnsAtOnceThatTheNameIsHeld) {
    const support::TempDir dir;
    ChildProcess holder({kHelper, "hold-lock", dir.path(), kName});
    ASSERT_EQ(holder.ReadLine(), "owned");

    ChildProcess second({kHelper, "hold-lock", dir.path(), kName});
    EXPECT_EQ(second.ReadLine(), "held");
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(InstanceLock(kName, dir.path()).state(), State::HeldByAnother);
    EXPECT_EQ(InstanceLock("Another_Name", dir.path()).state(), State::Owned);

    holder.CloseInput();
    EXPECT_EQ(holder.Wait(), 0);
    EXPECT_EQ(InstanceLock(kName, dir.path()).state(), State::Owned);
}

TEST(InstanceLock, IsFreeAgainAfterItsHolderWasKilled) {
    const support::TempDir dir;
    ChildProcess holder({kHelper, "hold-lock", dir.path(), kName});
    ASSERT_EQ(holder.ReadLine(), "owned");
    holder.Kill(SIGKILL);
    ASSERT_EQ(holder.Wait(), 128 + SIGKILL);

    ChildProcess next({kHelper, "hold-lock", dir.path(), kName});
    EXPECT_EQ(next.ReadLine(), "owned");
}

TEST(InstanceLock, IsHeldAgainstOtherHoldersInTheSameProcessUntilReleased) {
    const support::TempDir dir;
    {
        const InstanceLock first(kName, dir.path());
        ASSERT_EQ(first.state(), State::Owned);
        EXPECT_EQ(InstanceLock(kName, dir.path()).state(), State::HeldByAnother);
    }
    EXPECT_EQ(InstanceLock(kName, dir.path()).state(), State::Owned);
}

TEST(InstanceLock, ReportsADirectoryItCannotUseInsteadOfThrowing) {
    const support::TempDir dir;
    const InstanceLock lock(kName, dir.path() / "missing");
    EXPECT_EQ(lock.state(), State::Unavailable);
    EXPECT_NE(lock.error().find("missing"), std::string::npos) << lock.error();
}

class UserRuntimeDir : public ::testing::Test {
  protected:
    std::filesystem::path Expected() const {
        return session_.path() / ("qorvane-" + std::to_string(geteuid()));
    }
    support::TempDir session_;
    const support::ScopedEnv runtimeDir_{"XDG_RUNTIME_DIR", session_.path().c_str()};
};

TEST_F(UserRuntimeDir, IsCreatedPrivateInTheSessionsRuntimeDirectory) {
    EXPECT_EQ(platform::UserRuntimeDir(), Expected());
    struct stat info {};
    ASSERT_EQ(lstat(Expected().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());
    EXPECT_EQ(InstanceLock(kName).state(), State::Owned);
}

TEST_F(UserRuntimeDir, RefusesADirectoryOthersCouldEnterOrALinkPlantedInItsPlace) {
    const support::TempDir elsewhere;
    const struct {
        const char* what;
        void (*plant)(const std::filesystem::path& at, const std::filesystem::path& elsewhere);
    } cases[] = {
        {"open directory",
         [](const auto& at, const auto&) {
             std::filesystem::create_directory(at);
             std::filesystem::permissions(at, std::filesystem::perms(0755));
         }},
        {"symbolic link",
         [](const auto& at, const auto& to) { std::filesystem::create_directory_symlink(to, at); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(Expected());
        c.plant(Expected(), elsewhere.path());
        EXPECT_THROW(platform::UserRuntimeDir(), std::runtime_error);
        const InstanceLock lock(kName);
        EXPECT_EQ(lock.state(), State::Unavailable);
        EXPECT_NE(lock.error().find(Expected().string()), std::string::npos) << lock.error();
    }
}

TEST(RuntimeFileName, KeepsDifferentTextsApartAndInsideTheDirectory) {
    const struct {
        const char* text;
        const char* name;
    } cases[] = {
        {"Vexmoor_UpGrade", "Vexmoor_UpGrade"},
        {"../etc/passwd", "%2E%2E%2Fetc%2Fpasswd"},
        {"a b", "a%20b"},
        {"a%20b", "a%2520b"},
        {"升级", "%E5%8D%87%E7%BA%A7"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::RuntimeFileName(c.text), c.name) << c.text;
    }
}

}  // namespace
