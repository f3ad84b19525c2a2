#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/IniFile.h"
#include "support/ChildProcess.h"
#include "support/ReadFile.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// Runs a program to its end, with DESTDIR set to destDir (or unset when it is empty); its exit
// code.
int RunProgram(const std::vector<std::string>& args, const std::string& destDir = {}) {
    const support::ScopedEnv stage("DESTDIR", destDir.empty() ? nullptr : destDir.c_str());
    return support::RunToEnd(args).code;
}

// The keys of the [Desktop Entry] group, values as written.
std::map<std::string, std::string> DesktopEntry(const fs::path& path) {
    std::map<std::string, std::string> keys;
    std::ifstream in(path);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
        } else if (const size_t eq = line.find('='); inGroup && eq != std::string::npos) {
            keys.emplace(line.substr(0, eq), line.substr(eq + 1));
        }
    }
    return keys;
}

struct InstallCase {
    const char* name;
    // The prefix, under the temporary directory unless absolute.
    std::string prefix;
    // Stage the installation under DESTDIR = <temporary directory>/stage.
    bool staged;
    // Exec as the desktop entry must spell it, with the prefix in place of @.
    std::string exec;
};

void PrintTo(const InstallCase& c, std::ostream* os) {
    *os << c.name;
}

class Installation : public testing::TestWithParam<InstallCase> {};

TEST_P(Installation, LaysOutOneDirectoryWithSettingsAndALauncher) {
    const InstallCase& c = GetParam();
    const support::TempDir tmp;
    const std::string prefix =
        c.prefix.front() == '/' ? c.prefix : (tmp.path() / c.prefix).string();
    const std::string destDir = c.staged ? (tmp.path() / "stage").string() : std::string();
    ASSERT_EQ(RunProgram({QV_CMAKE, "--install", QV_BUILD_DIR, "--prefix", prefix}, destDir), 0);
    const fs::path dir = destDir + prefix;

    std::vector<std::string> files = {"Config.ini", "Help.html", "img/Search.gif", "Qorvane.png",
                                      "Qorvane.desktop"};
    for (int level = 0; level <= 20; ++level) {
        files.push_back("img/" + std::to_string(level) + ".jpg");
    }
    for (const std::string& f : files) {
        EXPECT_TRUE(fs::is_regular_file(dir / f)) << f;
    }
    EXPECT_EQ(support::ReadFile(dir / "Qorvane.png"),
              support::ReadFile(fs::path(QV_ASSETS_DIR) / "window/Icon.png"));
    EXPECT_EQ(support::ReadFile(dir / "Help.html"),
              support::ReadFile(fs::path(QV_ASSETS_DIR) / "Help.html"));

    const base::IniFile config((dir / "Config.ini").string());
    EXPECT_EQ(config.ReadString("Version", "Qorvane", "missing"), QV_PROJECT_VERSION);
    EXPECT_EQ(config.ReadString("UpGrade", "Server", "missing"), "stats.vexmoor.example");

    const fs::path launcher = dir / "Qorvane.desktop";
    EXPECT_EQ(RunProgram({"/usr/bin/desktop-file-validate", launcher.string()}), 0);
    const auto entry = DesktopEntry(launcher);
    std::string exec = c.exec;
    exec.replace(exec.find('@'), 1, prefix);
    EXPECT_EQ(entry.count("Path") ? entry.at("Path") : "", prefix);
    EXPECT_EQ(entry.count("Exec") ? entry.at("Exec") : "", exec);
    EXPECT_EQ(entry.count("Icon") ? entry.at("Icon") : "", prefix + "/Qorvane.png");
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes, Installation,
    testing::Values(InstallCase{"Plain", "qorvane", false, "@/Qorvane"},
                    InstallCase{"WithBlank", "Qorvane Apps/qorvane", false, "\"@/Qorvane\""},
                    InstallCase{"StagedUnderDestDir", "/opt/qorvane-test", true, "@/Qorvane"}),
    [](const testing::TestParamInfo<InstallCase>& info) { return info.param.name; });

}  // namespace
