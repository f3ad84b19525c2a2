#pragma once

#include "base/Paths.h"
#include "platform/Result.h"
#include "platform/StartProgram.h"
#include "updater/UpGradeWindow.h"

#include <filesystem>
#include <functional>
#include <string>

namespace updater {

// The files of the pass, all in the program directory.
inline constexpr char kNewListFile[] = "UpGrade_New.xml";
inline constexpr char kOldListFile[] = "UpGrade_Old.xml";
inline constexpr char kDownloadDir[] = "$tmpUpGrade";
inline constexpr char kRestartMarkerFile[] = "RestartSoft.tmp";

// The text of the information box that announces an upgrade.
inline constexpr char kUpGradeNotice[] =
    "Qorvane检测到有更新版本，即将自动升级；升级期间Qorvane可能会自动关闭，请等待提示升级完成后继续"
    "使用！谢谢。";

struct UpGradeSettings {
    // The program directory, with "/" appended: the lists, "$tmpUpGrade", the copier and the
    // marker lie in it, and its Config.ini names the update server.
    std::string appDir = base::GetAppPath();
    // Where the main program's window listens for the close request; empty: the user's runtime
    // directory, where the main program listens.
    std::filesystem::path channelDir;
    // Starts the copier (a full path, no arguments) without waiting for it.
    std::function<platform::Result(const std::string& path)> startProgram = platform::StartProgram;
};

// How a pass ended.
enum class UpGradeEnd {
    NoList,      // the service gave no list; nothing shown, nothing touched
    NothingNew,  // nothing new or changed; "UpGrade_New.xml" deleted
    HandedOver,  // every listed file tried, the copier's start tried
    ErrorShown,  // an error ended the pass: the error box was closed and the window is on
                 // screen, and the program is to wait until the user closes it
};

// The upgrade pass: fetches the update list, compares it with the installed one, announces the
// upgrade in the information box, downloads every new or changed file into "$tmpUpGrade" (the
// copier into the program directory itself) and starts the copier. Before the main program's
// file is downloaded, a running main program is asked to end and waited for, and then the empty
// marker "RestartSoft.tmp" is left (a failure to write it is ignored); with no main program
// window listening, or a close channel that cannot be tried at all, neither happens. A failed
// download, a name that would leave its directory and a copier that cannot start are passed
// over. Any error raised on the way (the list service's, the comparison's) is shown in the error
// box, after which the window is shown; nothing is thrown. Blocks while a box is open, while the
// main program ends and during the downloads.
UpGradeEnd RunUpGrade(UpGradeWindow& window, const UpGradeSettings& settings = {});

// The error box's text for an error text: a full stop added when its last character is above
// "." in the code page.
std::string ErrorBoxText(const std::string& error);

}  // namespace updater
