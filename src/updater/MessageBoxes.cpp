#include "updater/MessageBoxes.h"

#include "platform/ProgramFiles.h"

#include <QMessageBox>
#include <QString>

namespace updater {
namespace {

void ShowBox(QMessageBox::Icon icon, const std::string& text) {
    // Error texts from the lists break their lines with CR LF, which a label would show as is.
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // No parent: the box is centred on the screen, not on a window that is never shown.
    QMessageBox box(icon, QString::fromUtf8(platform::kTessalyFile), shown, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void ShowInformationBox(const std::string& text) {
    ShowBox(QMessageBox::NoIcon, text);
}

void ShowErrorBox(const std::string& text) {
    ShowBox(QMessageBox::Critical, text);
}

}  // namespace updater
