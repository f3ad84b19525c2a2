#include "window/MsgWindow.h"

#include "window/CentreOnScreen.h"
#include "window/ControlTable.h"

#include <vector>

namespace window {
namespace {

std::vector<ControlRow<TfrmMsg>> Controls() {
    return {
        {&TfrmMsg::labInfo, "labInfo", "", 16, 16, 297, 65, "", "", TextColour::Default, kWraps},
        {&TfrmMsg::btnOK, "btnOK", "", 104, 96, 113, 25, "我知道了！(&S)", "", TextColour::Default,
         kPlain},
    };
}

}  // namespace

TfrmMsg::TfrmMsg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmMsg"));
    setWindowTitle(QStringLiteral("Qorvane提示您"));
    setFixedSize(331, 134);
    const std::vector<ControlRow<TfrmMsg>> rows = Controls();
    BuildControls<TfrmMsg>(*this, this, rows);
    connect(btnOK, &QPushButton::clicked, this, &TfrmMsg::btnOKClick);
}

void TfrmMsg::showEvent(QShowEvent* event) {
    CentreOnScreen(*this);
    QDialog::showEvent(event);
}

void TfrmMsg::btnOKClick() {
    close();
}

}  // namespace window
