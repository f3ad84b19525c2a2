#pragma once

#include "updater/UpGradeRun.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace updater {

// The updater's window, "Vexmoor升级服务". Making it runs the upgrade pass (FormCreate) before
// the window has ever been shown; it comes on screen only when the pass ends in the error box.
class TfrmMain : public QWidget, public UpGradeWindow {
  public:
    // Blocks for the whole pass, boxes and downloads included.
    explicit TfrmMain(const UpGradeSettings& settings = {});

    // How the pass run at creation ended.
    UpGradeEnd PassEnd() const { return passEnd_; }

    void ShowInformationBox(const std::string& text) override;
    void ShowErrorBox(const std::string& text) override;
    void SetFileName(const std::string& name) override;
    void SetProgressMaximum(int maximum) override;
    void SetProgressPosition(int position) override;
    void ShowWindow() override;

  private:
    void FormCreate(const UpGradeSettings& settings);

    QLabel* labInfo = nullptr;
    QProgressBar* pbBar = nullptr;
    UpGradeEnd passEnd_ = UpGradeEnd::NoList;
};

}  // namespace updater
