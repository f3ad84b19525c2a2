#include "platform/InstanceLock.h"
#include "platform/ProgramFiles.h"
#include "updater/unit_FrmMain.h"

#include <QApplication>

namespace {

constexpr char kUpGradeLock[] = "Vexmoor_UpGrade";

}  // namespace

int main(int argc, char* argv[]) {
    // Before any Qt object: a second copy shows and touches nothing. Held until the process ends.
    const platform::InstanceLock lock(kUpGradeLock);
    if (lock.state() == platform::InstanceLock::State::HeldByAnother) {
        return 0;
    }
    const QApplication app(argc, argv);
    QApplication::setApplicationName(platform::kTessalyFile);
    const updater::TfrmMain frmMain;
    if (frmMain.PassEnd() == updater::UpGradeEnd::ErrorShown) {
        QApplication::exec();
    }
    return 0;
}
