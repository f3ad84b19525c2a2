#include "platform/ProgramFiles.h"
#include "platform/StartProgram.h"
#include "platform/WindowMessages.h"
#include "sandbox/Sandbox.h"
#include "updater/UpGradeRun.h"

#include "support/CopierDone.h"
#include "support/ReadFile.h"
#include "support/RecordingUpGradeWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/UpdateListXml.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using support::ListedFile;
using support::ReadFile;
using support::TempDir;
using testing::ElementsAre;
using testing::EndsWith;
using testing::HasSubstr;
using updater::UpGradeEnd;

const fs::path kFiles = SANDBOX_FILES_DIR;
const std::string kInfo = std::string("info: ") + updater::kUpGradeNotice;

std::string Served(const std::string& name) {
    return ReadFile(kFiles / name);
}

unsigned Mode(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(stat(file.c_str(), &info), 0) << file;
    return info.st_mode & 07777;
}

// A program directory whose Config.ini names the sandbox, which serves sandbox/files. The copier
// is not started but recorded, unless a test asks for the real start.
class UpGradePass : public testing::Test {
  protected:
    UpGradePass() : sandbox_(SandboxOptions()) {
        app_.Write("Config.ini", "[UpGrade]\nServer=" + sandbox_.host() + "\n");
        settings_.appDir = app_.dir();
        settings_.channelDir = channel_.path();
        settings_.startProgram = [this](const std::string& path) {
            started_.push_back(path);
            return platform::Result::Success();
        };
    }

    static sandbox::Options SandboxOptions() {
        sandbox::Options options;
        options.filesDir = kFiles;
        return options;
    }

    void ServeList(const std::vector<ListedFile>& entries) {
        lists_.Write("list.xml", support::UpdateListXml(entries));
        sandbox_.SetUpdateList(lists_.path() / "list.xml");
    }
    void Install(const std::vector<ListedFile>& entries) {
        app_.Write("UpGrade_Old.xml", support::UpdateListXml(entries));
    }

    UpGradeEnd Run() { return updater::RunUpGrade(window_, settings_); }

    fs::path AppFile(const std::string& name) const { return app_.path() / name; }
    fs::path Downloaded(const std::string& name) const {
        return app_.path() / "$tmpUpGrade" / name;
    }
    uint64_t Downloads() const { return sandbox_.requestCount(sandbox::Service::Files); }
    std::string Copier() const { return app_.dir() + platform::kBrannickFile; }

    // The sandbox is local; a proxy from the environment must not get in the way.
    support::ScopedEnv noProxy_{"no_proxy", "127.0.0.1"};
    TempDir app_;
    TempDir channel_;
    TempDir lists_;
    sandbox::Sandbox sandbox_;
    support::RecordingUpGradeWindow window_;
    std::vector<std::string> started_;
    updater::UpGradeSettings settings_;
};

TEST_F(UpGradePass, NoListEndsSilentlyAndKeepsAnEarlierOne) {
    app_.Write("UpGrade_New.xml", "earlier");
    EXPECT_EQ(Run(), UpGradeEnd::NoList);
    EXPECT_THAT(window_.calls, ElementsAre());
    EXPECT_THAT(started_, ElementsAre());
    EXPECT_EQ(app_.Read("UpGrade_New.xml"), "earlier");
    EXPECT_FALSE(fs::exists(app_.path() / "$tmpUpGrade"));
}

TEST_F(UpGradePass, NothingNewEndsWithoutABoxAndDeletesTheNewList) {
    const std::vector<ListedFile> list = {{"Help.html", "1.02", "{SANDBOX}/files/Help.html"}};
    ServeList(list);
    Install(list);
    EXPECT_EQ(Run(), UpGradeEnd::NothingNew);
    EXPECT_THAT(window_.calls, ElementsAre());
    EXPECT_THAT(started_, ElementsAre());
    EXPECT_FALSE(fs::exists(AppFile("UpGrade_New.xml")));
    EXPECT_FALSE(fs::exists(app_.path() / "$tmpUpGrade"));
    EXPECT_EQ(Downloads(), 0u);
}

TEST_F(UpGradePass, WithoutAnInstalledListEveryFileIsFetchedInListOrder) {
    ServeList({
        {"Help.html", "1.02", "{SANDBOX}/files/Help.html"},
        {"Notes.txt", "1.02", "{SANDBOX}/files/Notes.txt"},
        // Written for Windows: its folder is made inside "$tmpUpGrade".
        {"资料\\热门关键字.txt", "1",
         "{SANDBOX}/files/%E8%B5%84%E6%96%99/%E7%83%AD%E9%97%A8%E5%85%B3%E9%94%AE%E5%AD%97.txt"},
    });
    EXPECT_EQ(Run(), UpGradeEnd::HandedOver);
    EXPECT_THAT(window_.calls,
                ElementsAre(kInfo, "max: 3", "file: Help.html", "position: 1", "file: Notes.txt",
                            "position: 2", "file: 资料\\热门关键字.txt", "position: 3"));
    EXPECT_EQ(ReadFile(Downloaded("Help.html")), Served("Help.html"));
    EXPECT_EQ(ReadFile(Downloaded("Notes.txt")), Served("Notes.txt"));
    EXPECT_EQ(ReadFile(Downloaded("资料/热门关键字.txt")), Served("资料/热门关键字.txt"));
    EXPECT_THAT(started_, ElementsAre(Copier()));
    EXPECT_TRUE(fs::exists(AppFile("UpGrade_New.xml")));
}

TEST_F(UpGradePass, OnlyNewAndChangedFilesAreFetched) {
    Install({{"Help.html", "1.02", "x"}, {"Notes.txt", "1.01", "x"}});
    ServeList({
        {"Help.html", "1.02", "{SANDBOX}/files/Help.html"},
        {"Notes.txt", "1.02", "{SANDBOX}/files/Notes.txt"},
    });
    EXPECT_EQ(Run(), UpGradeEnd::HandedOver);
    EXPECT_THAT(window_.calls, ElementsAre(kInfo, "max: 1", "file: Notes.txt", "position: 1"));
    EXPECT_EQ(Downloads(), 1u);
    EXPECT_FALSE(fs::exists(Downloaded("Help.html")));
    EXPECT_EQ(ReadFile(Downloaded("Notes.txt")), Served("Notes.txt"));
}

TEST_F(UpGradePass, AListedCopierLandsInTheProgramDirectoryExecutableAndIsStarted) {
    settings_.startProgram = platform::StartProgram;
    ServeList({
        {"Brannick", "2", "{SANDBOX}/files/Brannick"},
        {"Help.html", "1.02", "{SANDBOX}/files/Help.html"},
    });
    const support::CopierDone done(app_.path());
    EXPECT_EQ(Run(), UpGradeEnd::HandedOver);
    ASSERT_TRUE(done.Await(std::chrono::seconds(30))) << "the copier did not run";

    EXPECT_EQ(ReadFile(AppFile("Brannick")), Served("Brannick"));
    EXPECT_EQ(Mode(AppFile("Brannick")), 0755u);
    EXPECT_FALSE(fs::exists(Downloaded("Brannick")));
    EXPECT_EQ(app_.Read("Brannick.log"), "ran\n$tmpUpGrade/Help.html\n");
}

TEST_F(UpGradePass, AReplacedCopierKeepsItsPermissions) {
    app_.Write("Brannick", "#!/bin/sh\n");
    fs::permissions(AppFile("Brannick"), fs::perms(0700));
    ServeList({{"Brannick", "2", "{SANDBOX}/files/Brannick"}});
    EXPECT_EQ(Run(), UpGradeEnd::HandedOver);
    EXPECT_EQ(ReadFile(AppFile("Brannick")), Served("Brannick"));
    EXPECT_EQ(Mode(AppFile("Brannick")), 0700u);
    EXPECT_THAT(started_, ElementsAre(Copier()));
}

TEST_F(UpGradePass, TheMainProgramIsClosedBeforeItsFileIsFetched) {
    struct Received {
        platform::WindowMessage message;
        bool fileThere = false;
        bool markerThere = false;
    };
    const struct {
        const char* what;
        std::string name;
        bool listener;
        bool channelUsable;
        bool closes;
    } cases[] = {
        {"listened for", "Qorvane", true, true, true},
        {"not running", "Qorvane", false, true, false},
        {"no usable channel", "Qorvane", true, false, false},
        {"a name differing in case", "qorvane", true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir app;
        TempDir channel;
        app.Write("Config.ini", "[UpGrade]\nServer=" + sandbox_.host() + "\n");
        if (c.closes) {
            app.Write("RestartSoft.tmp", "stale");
        }
        ServeList({{c.name, "2", "{SANDBOX}/files/Notes.txt"}});
        const fs::path downloaded = app.path() / "$tmpUpGrade" / c.name;

        // Read only once the listener has stopped.
        std::vector<Received> received;
        std::optional<platform::WindowMessageListener> listener;
        if (c.listener) {
            listener.emplace(
                platform::kMainWindowClass, platform::kMainWindowTitle,
                [&](const platform::WindowMessage& message) {
                    std::error_code ec;
                    const auto markerSize = fs::file_size(app.path() / "RestartSoft.tmp", ec);
                    received.push_back({message, fs::exists(downloaded), !ec && markerSize == 0});
                },
                channel.path());
        }
        settings_.appDir = app.dir();
        // Longer than a unix socket's address can hold.
        settings_.channelDir =
            c.channelUsable ? channel.path() : channel.path() / std::string(120, 'x');
        support::RecordingUpGradeWindow window;
        EXPECT_EQ(updater::RunUpGrade(window, settings_), UpGradeEnd::HandedOver);
        listener.reset();

        EXPECT_EQ(ReadFile(downloaded), Served("Notes.txt"));
        if (c.closes) {
            ASSERT_EQ(received.size(), 1u);
            EXPECT_EQ(received[0].message.msg, 2029u);
            EXPECT_EQ(received[0].message.wParam, 0);
            EXPECT_EQ(received[0].message.lParam, 0);
            EXPECT_FALSE(received[0].fileThere) << "fetched before the main program ended";
            EXPECT_FALSE(received[0].markerThere) << "marker made before the main program ended";
            EXPECT_EQ(fs::file_size(app.path() / "RestartSoft.tmp"), 0u);
        } else {
            EXPECT_TRUE(received.empty());
            EXPECT_FALSE(fs::exists(app.path() / "RestartSoft.tmp"));
        }
    }
}

TEST_F(UpGradePass, HostileNamesArePassedOverLikeFailedDownloads) {
    const std::string absolute = app_.dir() + "absolute.txt";
    ServeList({
        {"../up.txt", "1", "{SANDBOX}/files/Notes.txt"},
        {"..\\back.txt", "1", "{SANDBOX}/files/Notes.txt"},
        {"sub/../../climb.txt", "1", "{SANDBOX}/files/Notes.txt"},
        {absolute, "1", "{SANDBOX}/files/Notes.txt"},
        {"kept.txt", "1", "{SANDBOX}/files/Notes.txt"},
    });
    EXPECT_EQ(Run(), UpGradeEnd::HandedOver);
    EXPECT_EQ(Downloads(), 1u);
    EXPECT_EQ(ReadFile(Downloaded("kept.txt")), Served("Notes.txt"));
    for (const char* escaped : {"up.txt", "back.txt", "climb.txt", "absolute.txt"}) {
        EXPECT_FALSE(fs::exists(AppFile(escaped))) << escaped;
    }
    EXPECT_THAT(window_.calls, testing::Contains("position: 5"));
    EXPECT_THAT(started_, ElementsAre(Copier()));
}

TEST_F(UpGradePass, AFailedDownloadKeepsTheOldFileAndStopsNothing) {
    app_.Write("$tmpUpGrade/Missing.txt", "old");
    ServeList({
        {"Missing.txt", "2", "{SANDBOX}/files/no-such-file.txt"},
        {"Refused.txt", "2", "http://127.0.0.1:1/Refused.txt"},
        {"Help.html", "1.02", "{SANDBOX}/files/Help.html"},
    });
    EXPECT_EQ(Run(), UpGradeEnd::HandedOver);
    EXPECT_EQ(ReadFile(Downloaded("Missing.txt")), "old");
    EXPECT_EQ(ReadFile(Downloaded("Help.html")), Served("Help.html"));
    std::vector<std::string> left;
    for (const fs::directory_entry& entry : fs::directory_iterator(app_.path() / "$tmpUpGrade")) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_THAT(left, testing::UnorderedElementsAre("Help.html", "Missing.txt"));
    EXPECT_THAT(started_, ElementsAre(Copier()));
}

TEST_F(UpGradePass, AListThatCannotBeReadEndsInTheErrorBoxAndTheWindow) {
    const struct {
        const char* what;
        bool illFormedAnswer;
        std::string installed;
        bool newListKept;
        testing::Matcher<std::string> text;
    } cases[] = {
        {"an ill-formed answer", true, "", false,
         testing::AllOf(HasSubstr("\r\nLine: 9\r\n"), EndsWith("\r\n  </Fiel>."))},
        {"an installed entry without a version", false,
         "<UpGrade><File><Name>Help.html</Name></File></UpGrade>", true,
         "List index out of bounds (1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir app;
        app.Write("Config.ini", "[UpGrade]\nServer=" + sandbox_.host() + "\n");
        if (!c.installed.empty()) {
            app.Write("UpGrade_Old.xml", c.installed);
        }
        if (c.illFormedAnswer) {
            sandbox_.SetUpdateList(fs::path(SANDBOX_LISTS_DIR) / "ill-formed.xml");
        } else {
            ServeList({{"Help.html", "1.02", "{SANDBOX}/files/Help.html"}});
        }
        settings_.appDir = app.dir();
        support::RecordingUpGradeWindow window;

        EXPECT_EQ(updater::RunUpGrade(window, settings_), UpGradeEnd::ErrorShown);
        ASSERT_EQ(window.calls.size(), 2u);
        EXPECT_THAT(window.calls[0], testing::StartsWith("error: "));
        EXPECT_THAT(window.calls[0].substr(7), c.text);
        EXPECT_EQ(window.calls[1], "show");
        EXPECT_EQ(fs::exists(app.path() / "UpGrade_New.xml"), c.newListKept);
        EXPECT_FALSE(fs::exists(app.path() / "$tmpUpGrade"));
        EXPECT_THAT(started_, ElementsAre());
    }
    EXPECT_EQ(Downloads(), 0u);
}

TEST(ErrorBoxText, AddsAFullStopAfterALastCharacterAboveIt) {
    const struct {
        std::string error;
        std::string shown;
    } cases[] = {
        {"", ""},
        {"Element does not contain a single text node",
         "Element does not contain a single "
         "text node."},
        {"List index out of bounds (1)", "List index out of bounds (1)"},
        {"already ends.", "already ends."},
        {"dash-", "dash-"},
        {"ends in a line break\r\n", "ends in a line break\r\n"},
        {"path/", "path/."},
        {"</Fiel>", "</Fiel>."},
        {"文件无法写入", "文件无法写入."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(updater::ErrorBoxText(c.error), c.shown) << c.error;
    }
}

}  // namespace
