#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace window {

// A small notice window, ready for a message; nothing in the program shows it.
class TfrmMsg : public QDialog {
    Q_OBJECT
  public:
    // Created hidden.
    explicit TfrmMsg(QWidget* parent = nullptr);

    QLabel* labInfo = nullptr;
    QPushButton* btnOK = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void btnOKClick();
};

}  // namespace window
