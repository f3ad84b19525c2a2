// The search window's handlers of its own controls, and the panel and step display.

#include "window/ControlTable.h"
#include "window/SearchWindow.h"
#include "window/WorkFiles.h"

#include "base/IniFile.h"
#include "base/Paths.h"
#include "platform/ProcessEnd.h"
#include "platform/ProgramFiles.h"
#include "platform/StartProgram.h"
#include "platform/WindowMessages.h"
#include "search/PrepareCriteria.h"

#include <QEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMovie>
#include <QTimer>

#include <iostream>

namespace window {

void TLumiskSearch::FormCreate() {
    LoadVersion();
}

void TLumiskSearch::LoadVersion() {
    std::string version;
    try {
        version = base::IniFile(base::GetWorkDir() + "Config.ini")
                      .ReadString("Version", "Qorvane", "unknow!");
    } catch (...) {
        version = "unknow";
    }
    labVersion->setText(QString::fromStdString(version));
}

void TLumiskSearch::btnSearchClick() {
    StartSearch();
}

void TLumiskSearch::editKeyKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        StartSearch();
    }
}

void TLumiskSearch::editKeyEnter() {
    const QString text = editKey->text();
    const QString placeholder = QString::fromUtf8(search::kKeywordPlaceholder);
    if (!text.isEmpty() && text != placeholder) {
        labNeedKey->hide();
    }
    if (text == placeholder) {
        editKey->clear();
    }
}

void TLumiskSearch::cbHighSearchClick() {
    EnableHighSearch(cbHighSearch->isChecked());
    if (cbHighSearch->isChecked()) {
        editStartPrice->setFocus();
    }
}

// Qt keeps a control's own enabled state apart from its parent's, so a disabled group leaves
// each control's state as it was and enabling the group restores exactly those that were
// enabled.
void TLumiskSearch::EnableHighSearch(bool enabled) {
    rgbHighSearch->setEnabled(enabled);
}

void TLumiskSearch::tbSellerCreditChanging(int position) {
    const QString file = WorkFile("img/" + std::to_string(position) + ".jpg");
    QImageReader reader(file);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        const QString why =
            QFileInfo::exists(file) ? reader.errorString() : QStringLiteral("文件不存在");
        const QSignalBlocker quiet(tbSellerCredit);
        tbSellerCredit->setValue(shownSellerLevel_);
        QMessageBox::critical(this, QString::fromUtf8(platform::kMainWindowTitle),
                              QStringLiteral("无法打开图片文件 %1：%2。").arg(file, why));
        return;
    }
    shownSellerLevel_ = position;
    ImgSellerCredit->setPixmap(QPixmap::fromImage(picture));
    ImgSellerCredit->resize(ImgSellerCredit->pixmap().deviceIndependentSize().toSize());
}

void TLumiskSearch::labHelpClick() {
    ShowPanel(4);
}

void TLumiskSearch::btnSearchAglinClick() {
    ShowPanel(1);
}

void TLumiskSearch::btnIKnowClick() {
    ShowPanel(1);
}

void TLumiskSearch::btnCloseClick() {
    platform::EndProcessNow(0);
}

void TLumiskSearch::RzURLLabel1Click() {
    if (seams_.openInBrowser && seams_.openInBrowser(QUrl(QString::fromUtf8(kVendorSite)))) {
        QPalette visited = RzURLLabel1->palette();
        visited.setColor(QPalette::WindowText, ColourOf(TextColour::Visited));
        RzURLLabel1->setPalette(visited);
    }
}

void TLumiskSearch::timerUpGradeTimer() {
    timerUpGrade->stop();
    const platform::Result started =
        platform::StartProgram(WorkFile(platform::kTessalyFile).toStdString());
    if (!started) {
        std::cerr << "Qorvane: the updater did not start: " << started.error() << std::endl;
    }
}

void TLumiskSearch::ShowPanel(int code) {
    switch (code) {
        case 1:
            BringToFront(panSearch);
            editKey->setFocus();
            break;
        case 2:
            searchMovie_->stop();
            searchMovie_->setFileName(WorkFile("img/Search.gif"));
            searchMovie_->start();
            BringToFront(panSearching);
            break;
        case 3:
            BringToFront(panCommendList);
            break;
        case 4:
            wbHelp->LoadLocalFile(WorkFile("Help.html"));
            BringToFront(panHelp);
            break;
        default:
            break;
    }
}

// The panels are transparent over the background, so the ones behind are hidden as well.
void TLumiskSearch::BringToFront(Panel* panel) {
    for (Panel* other : {panSearch, panSearching, panCommendList, panHelp}) {
        if (other != panel) {
            other->hide();
        }
    }
    panel->show();
    panel->raise();
}

void TLumiskSearch::ShowStep(int32_t step) {
    QLabel* const steps[] = {labStep1, labStep2, labStep3, labStep4, labStep5};
    for (QLabel* label : steps) {
        QFont regular = label->font();
        regular.setBold(false);
        label->setFont(regular);
    }
    if (step < 1 || step > 5) {
        return;
    }
    QLabel* current = steps[step - 1];
    QFont bold = current->font();
    bold.setBold(true);
    current->setFont(bold);
    imgJT->move(imgJT->x(), current->y());
}

bool TLumiskSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editKey) {
        if (event->type() == QEvent::FocusIn) {
            editKeyEnter();
        } else if (event->type() == QEvent::KeyPress) {
            editKeyKeyDown(static_cast<QKeyEvent*>(event)->key());
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace window
