#include "updater/unit_FrmMain.h"

#include "updater/MessageBoxes.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QString>

namespace updater {
namespace {

constexpr int kClientWidth = 375;
constexpr int kClientHeight = 127;

enum class Kind { Label, ProgressBar };

struct ControlRow {
    const char* name;
    Kind kind;
    int left;
    int top;
    int width;
    int height;
    const char* caption;
    bool bold;
};

constexpr ControlRow kControls[] = {
    {"Label1", Kind::Label, 24, 16, 193, 13, "Qorvane正在升级...", true},
    {"labInfo", Kind::Label, 24, 48, 329, 13, "", false},
    {"pbBar", Kind::ProgressBar, 24, 72, 329, 25, "", false},
};

QWidget* MakeControl(const ControlRow& row, QWidget* parent) {
    QWidget* control = nullptr;
    if (row.kind == Kind::Label) {
        control = new QLabel(QString::fromUtf8(row.caption), parent);
    } else {
        auto* bar = new QProgressBar(parent);
        bar->setValue(0);
        bar->setTextVisible(false);
        control = bar;
    }
    control->setObjectName(QString::fromUtf8(row.name));
    control->setGeometry(row.left, row.top, row.width, row.height);
    if (row.bold) {
        QFont font = control->font();
        font.setBold(true);
        control->setFont(font);
    }
    return control;
}

}  // namespace

// No minimise or maximise button; the close button stays, since the program waits for the
// user to close this window and holds the single-instance lock until then.
TfrmMain::TfrmMain(const UpGradeSettings& settings)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Vexmoor升级服务"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    resize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    for (const ControlRow& row : kControls) {
        MakeControl(row, this);
    }
    labInfo = findChild<QLabel*>(QStringLiteral("labInfo"));
    pbBar = findChild<QProgressBar*>(QStringLiteral("pbBar"));
    FormCreate(settings);
}

void TfrmMain::FormCreate(const UpGradeSettings& settings) {
    passEnd_ = RunUpGrade(*this, settings);
}

void TfrmMain::ShowInformationBox(const std::string& text) {
    updater::ShowInformationBox(text);
}

void TfrmMain::ShowErrorBox(const std::string& text) {
    updater::ShowErrorBox(text);
}

void TfrmMain::SetFileName(const std::string& name) {
    labInfo->setText(QString::fromStdString(name));
}

void TfrmMain::SetProgressMaximum(int maximum) {
    pbBar->setMaximum(maximum);
}

void TfrmMain::SetProgressPosition(int position) {
    pbBar->setValue(position);
}

void TfrmMain::ShowWindow() {
    show();
}

}  // namespace updater
