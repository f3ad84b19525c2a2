#include "sandbox/Sandbox.h"
#include "updater/UpGradeRun.h"
#include "updater/unit_FrmMain.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using support::TempDir;
using updater::TfrmMain;
using updater::UpGradeEnd;

const QString kCaption = QStringLiteral("Vexmoor升级服务");

struct SeenBox {
    QMessageBox::Icon icon;
    QString title;
    QString text;
    qsizetype buttons;
    bool windowShown;  // the upgrade window, while the box was up
};

bool UpGradeWindowShown() {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowTitle() == kCaption && widget->isVisible()) {
            return true;
        }
    }
    return false;
}

// Answers every message box that comes up with its OK button, as a user would, and records it.
class BoxAnswerer {
  public:
    BoxAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) {
                return;
            }
            seen.push_back({box->icon(), box->windowTitle(), box->text(), box->buttons().size(),
                            UpGradeWindowShown()});
            box->button(QMessageBox::Ok)->click();
        });
        timer_.start(5);
    }

    std::vector<SeenBox> seen;

  private:
    QTimer timer_;
};

class FrmMain : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Without a platform named by the caller the window runs on Qt's offscreen one; it is
        // chosen when the application object is made.
        platform_.emplace("QT_QPA_PLATFORM", "offscreen", support::ScopedEnv::IfSet::Keep);
        noProxy_.emplace("no_proxy", "127.0.0.1");
        static int argc = 1;
        static char name[] = "updater_gui_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() {
        app_.reset();
        noProxy_.reset();
        platform_.reset();
    }

    FrmMain() : sandbox_(Options()) {
        appDir_.Write("Config.ini", "[UpGrade]\nServer=" + sandbox_.host() + "\n");
        settings_.appDir = appDir_.dir();
        settings_.channelDir = channel_.path();
        settings_.startProgram = [](const std::string&) { return platform::Result::Success(); };
    }

    static sandbox::Options Options() {
        sandbox::Options options;
        options.filesDir = SANDBOX_FILES_DIR;
        return options;
    }

    static std::optional<support::ScopedEnv> platform_;
    static std::optional<support::ScopedEnv> noProxy_;
    static std::unique_ptr<QApplication> app_;
    TempDir appDir_;
    TempDir channel_;
    sandbox::Sandbox sandbox_;
    updater::UpGradeSettings settings_;
};

std::optional<support::ScopedEnv> FrmMain::platform_;
std::optional<support::ScopedEnv> FrmMain::noProxy_;
std::unique_ptr<QApplication> FrmMain::app_;

TEST_F(FrmMain, StaysHiddenWithoutAList) {
    const BoxAnswerer boxes;
    const TfrmMain window(settings_);
    EXPECT_EQ(window.PassEnd(), UpGradeEnd::NoList);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(FrmMain, AnnouncesTheUpgradeAndFollowsTheDownloadsHidden) {
    const fs::path list = appDir_.path() / "served.xml";
    appDir_.Write("served.xml",
                  "<?xml version=\"1.0\"?><UpGrade><File><Name>Help.html</Name><V>1</V>"
                  "<U>{SANDBOX}/files/Help.html</U><S>1</S><N>n</N></File></UpGrade>");
    sandbox_.SetUpdateList(list);
    const BoxAnswerer boxes;
    const TfrmMain window(settings_);

    EXPECT_EQ(window.PassEnd(), UpGradeEnd::HandedOver);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes.seen[0].title, "Tessaly");
    EXPECT_EQ(boxes.seen[0].text, QString::fromUtf8(updater::kUpGradeNotice));
    EXPECT_EQ(boxes.seen[0].buttons, 1);
    EXPECT_FALSE(boxes.seen[0].windowShown);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.findChild<QLabel*>("labInfo")->text(), "Help.html");
    EXPECT_EQ(window.findChild<QProgressBar*>("pbBar")->maximum(), 1);
    EXPECT_EQ(window.findChild<QProgressBar*>("pbBar")->value(), 1);
    EXPECT_TRUE(fs::exists(appDir_.path() / "$tmpUpGrade" / "Help.html"));
}

TEST_F(FrmMain, ShowsTheErrorAndThenItselfAsItWasMade) {
    sandbox_.SetUpdateList(fs::path(SANDBOX_LISTS_DIR) / "ill-formed.xml");
    const BoxAnswerer boxes;
    const TfrmMain window(settings_);

    EXPECT_EQ(window.PassEnd(), UpGradeEnd::ErrorShown);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen[0].title, "Tessaly");
    EXPECT_TRUE(boxes.seen[0].text.contains("\nLine: 9\n")) << boxes.seen[0].text.toStdString();
    EXPECT_TRUE(boxes.seen[0].text.endsWith("\n  </Fiel>.")) << boxes.seen[0].text.toStdString();
    EXPECT_EQ(boxes.seen[0].buttons, 1);
    EXPECT_FALSE(boxes.seen[0].windowShown);

    EXPECT_TRUE(window.isVisible());
    // The program waits until the user closes this window, so it must offer closing.
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.windowTitle(), kCaption);
    EXPECT_EQ(window.size(), QSize(375, 127));
    EXPECT_EQ(window.findChild<QLabel*>("Label1")->text(), "Qorvane正在升级...");
    EXPECT_EQ(window.findChild<QLabel*>("labInfo")->text(), "");
    EXPECT_EQ(window.findChild<QProgressBar*>("pbBar")->value(), 0);
}

}  // namespace
