#include "updater/UpGradeRun.h"

#include "base/AtomicFile.h"
#include "platform/Download.h"
#include "platform/ProgramFiles.h"
#include "platform/RuntimeDir.h"
#include "platform/WindowMessages.h"
#include "updater/ListedName.h"
#include "updater/unit_QueryUpGrade.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace updater {
namespace {

// Asks the running main program to end and waits until it has; then leaves the empty marker
// "RestartSoft.tmp". Without a main program window that listens, or a close channel that can be
// tried at all, nothing is closed and no marker is left. Never throws.
void CloseMainProgram(const UpGradeSettings& settings) {
    try {
        const std::filesystem::path channelDir =
            settings.channelDir.empty() ? platform::UserRuntimeDir() : settings.channelDir;
        if (!platform::SendWindowMessage(platform::kMainWindowClass, platform::kMainWindowTitle,
                                         {.msg = platform::WM_CLOSEREQUEST}, channelDir)) {
            return;
        }
    } catch (const std::exception&) {
        // A channel that cannot be tried finds no window either; the upgrade goes on.
        return;
    }
    try {
        base::ReplaceFile(settings.appDir + kRestartMarkerFile, {});
    } catch (const std::exception&) {
        // Like a download that fails, a marker that cannot be written does not stop the upgrade.
    }
}

void DownloadCopier(const std::string& url, const std::string& target) {
    // A fresh download carries no execute bit, and the copier must start; a copier that was
    // there keeps the bits its owner gave it.
    platform::DownloadToFile(url, target, {.newFileMode = std::filesystem::perms(0755)});
}

// A name that would leave its directory is passed over like a download that failed.
void Download(const std::string& name, const std::string& url, const UpGradeSettings& settings) {
    const std::optional<std::string> stored = StoredName(name);
    if (!stored) {
        return;
    }
    if (name == platform::kBrannickFile) {
        DownloadCopier(url, settings.appDir + *stored);
        return;
    }
    if (name == platform::kQorvaneFile) {
        // Its program file is replaced only once it no longer runs.
        CloseMainProgram(settings);
    }
    const std::filesystem::path target =
        std::filesystem::path(settings.appDir) / kDownloadDir / *stored;
    std::error_code ignored;
    std::filesystem::create_directories(target.parent_path(), ignored);
    platform::DownloadToFile(url, target.string());
}

}  // namespace

UpGradeEnd RunUpGrade(UpGradeWindow& window, const UpGradeSettings& settings) {
    const std::string newList = settings.appDir + kNewListFile;
    try {
        if (!TRemoteXMLFile(settings.appDir).FetchToFile(newList)) {
            return UpGradeEnd::NoList;
        }
        TArrayString names;
        TArrayString urls;
        {
            TCheckUpGradeFile check;
            check.OldFileName = settings.appDir + kOldListFile;
            check.NewFileName = newList;
            if (!check.CheckFiles()) {
                std::error_code ignored;
                std::filesystem::remove(newList, ignored);
                return UpGradeEnd::NothingNew;
            }
            window.ShowInformationBox(kUpGradeNotice);
            names = std::move(check.UpNames);
            urls = std::move(check.UpURLs);
        }

        std::error_code ignored;
        std::filesystem::create_directories(settings.appDir + kDownloadDir, ignored);
        window.SetProgressMaximum(static_cast<int>(names.size()));
        for (size_t i = 0; i < names.size(); ++i) {
            window.SetFileName(names[i]);
            window.SetProgressPosition(static_cast<int>(i + 1));
            try {
                Download(names[i], urls[i], settings);
            } catch (const std::exception&) {
                // One file that cannot be had must not keep the others, or the copier, away.
            }
        }
        // The copier works with whatever arrived; one that cannot start leaves the downloads in
        // "$tmpUpGrade".
        settings.startProgram(settings.appDir + platform::kBrannickFile);
        return UpGradeEnd::HandedOver;
    } catch (const std::exception& e) {
        window.ShowErrorBox(ErrorBoxText(e.what()));
        window.ShowWindow();
        return UpGradeEnd::ErrorShown;
    }
}

std::string ErrorBoxText(const std::string& error) {
    if (!error.empty() && static_cast<unsigned char>(error.back()) > '.') {
        return error + ".";
    }
    return error;
}

}  // namespace updater
