// Qorvane and Tessaly installed in one directory and run as a user runs them, on an X server:
// Qorvane starts Tessaly, whose box is answered from outside; Tessaly ends Qorvane, stores the
// new program file and hands over to the copier.

#include "sandbox/Sandbox.h"
#include "support/ChildProcess.h"
#include "support/CopierDone.h"
#include "support/ReadFile.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/UpdateListXml.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using support::ReadFile;

const fs::path kSandboxFiles = SANDBOX_FILES_DIR;

// Program files are too long to be shown when they differ.
testing::AssertionResult HoldsBytes(const fs::path& file, const std::string& bytes) {
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        return testing::AssertionFailure() << file << " is missing";
    }
    const std::string held = ReadFile(file);
    if (held != bytes) {
        return testing::AssertionFailure() << file << " holds other bytes (" << held.size()
                                           << " instead of " << bytes.size() << ")";
    }
    return testing::AssertionSuccess();
}

// Runs a program found on the PATH to its end, stopped after `limit`; its exit code (124 when
// stopped) and its standard output.
support::Finished RunBounded(std::chrono::seconds limit, std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"/usr/bin/timeout", std::to_string(limit.count())});
    return support::RunToEnd(argv);
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// The installed Config.ini with the sandbox as the vendor's server, the rest kept.
std::string WithServer(const std::string& config, const std::string& server) {
    std::istringstream lines(config);
    std::string result;
    std::string line;
    while (std::getline(lines, line)) {
        result += (line.rfind("Server=", 0) == 0 ? "Server=" + server : line) + "\n";
    }
    return result;
}

// Bytes of every value, so that a download that alters any of them shows.
std::string NewProgramFile() {
    std::mt19937 random(2029);
    std::string bytes = "Qorvane 1.0.1\n";
    for (int i = 0; i < 256 * 1024; ++i) {
        bytes += static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

TEST(QorvaneAndTessaly, AnUpgradeEndsQorvaneAndHandsTheNewProgramFileToTheCopier) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr)
        << "needs an X server: run it through tests/support/with-xvfb, as ctest does";
    const support::TempDir tmp;
    const fs::path install = tmp.path() / "install";
    ASSERT_EQ(
        RunBounded(120s, {QV_CMAKE, "--install", QV_BUILD_DIR, "--prefix", install.string()}).code,
        0);

    // The vendor's side: a new main program, the copier, and a help page that has not changed.
    const support::TempDir served;
    const std::string newProgram = NewProgramFile();
    served.Write("Qorvane", newProgram);
    served.Write("Help.html", ReadFile(install / "Help.html"));
    fs::copy_file(kSandboxFiles / "Brannick", served.path() / "Brannick");
    served.Write("list.xml", support::UpdateListXml(
                                 {{"Qorvane", "1.0.1"}, {"Help.html", "1.0"}, {"Brannick", "1"}}));
    sandbox::Options options;
    options.filesDir = served.path();
    options.updateList = served.path() / "list.xml";
    sandbox::Sandbox sandbox(options);

    tmp.Write("install/Config.ini", WithServer(tmp.Read("install/Config.ini"), sandbox.host()));
    tmp.Write("install/UpGrade_Old.xml",
              support::UpdateListXml({{"Qorvane", "1.0.0"}, {"Help.html", "1.0"}}));
    const std::string oldProgram = ReadFile(install / "Qorvane");

    // The close channel and the updater's lock live in the user's runtime directory; a private
    // one keeps the test away from any other Qorvane of this user.
    const support::TempDir runtime;
    const support::ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.path().c_str());
    const support::ScopedEnv noProxy("no_proxy", "127.0.0.1");
    const support::CopierDone copierDone(install);

    support::ChildProcess qorvane({(install / "Qorvane").string()}, install);
    const std::string box = FirstLine(
        RunBounded(60s, {"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Tessaly$"})
            .output);
    ASSERT_FALSE(box.empty()) << "no box titled Tessaly showed within 60 s";
    const std::string boxPid = FirstLine(RunBounded(10s, {"xdotool", "getwindowpid", box}).output);
    ASSERT_FALSE(boxPid.empty()) << "the box names no process";
    const pid_t tessalyPid = std::stoi(boxPid);
    const support::ProcessWatch tessaly(tessalyPid);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(tessalyPid) + "/exe"),
              install / "Tessaly");

    // Until the box is answered, the upgrade waits.
    EXPECT_EQ(qorvane.WaitFor(0ms), std::nullopt) << "Qorvane ended before the box was answered";
    EXPECT_FALSE(fs::exists(install / "$tmpUpGrade"));
    EXPECT_EQ(sandbox.requestCount(sandbox::Service::Files), 0u);

    // Return presses the box's one button, OK, as a click would.
    ASSERT_EQ(RunBounded(30s, {"xdotool", "windowfocus", "--sync", box, "key", "Return"}).code, 0);
    const std::optional<int> qorvaneEnd = qorvane.WaitFor(60s);
    ASSERT_TRUE(qorvaneEnd) << "Qorvane still runs 60 s after the box was answered";
    EXPECT_EQ(*qorvaneEnd, 0);
    ASSERT_TRUE(copierDone.Await(60s)) << "the copier did not run";
    EXPECT_TRUE(tessaly.AwaitEnd(30s)) << "Tessaly still runs after starting the copier";

    ASSERT_TRUE(fs::exists(install / "RestartSoft.tmp"));
    EXPECT_EQ(fs::file_size(install / "RestartSoft.tmp"), 0u);
    EXPECT_TRUE(HoldsBytes(install / "$tmpUpGrade" / "Qorvane", newProgram));
    // Replacing the program file is the copier's work.
    EXPECT_TRUE(HoldsBytes(install / "Qorvane", oldProgram));
    EXPECT_TRUE(HoldsBytes(install / "Brannick", ReadFile(kSandboxFiles / "Brannick")));
    struct stat copier {};
    ASSERT_EQ(stat((install / "Brannick").c_str(), &copier), 0);
    EXPECT_EQ(copier.st_mode & 07777, 0755u);
    // What the copier found: the marker and the new program file, the unchanged page not fetched.
    EXPECT_EQ(ReadFile(install / "Brannick.log"), "ran\nRestartSoft.tmp\n$tmpUpGrade/Qorvane\n");
    EXPECT_EQ(sandbox.requestCount(sandbox::Service::Files), 2u);
}

}  // namespace
