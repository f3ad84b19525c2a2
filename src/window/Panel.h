#pragma once

#include <QWidget>

namespace window {

// One of the window's stacked panels: transparent over the background, and a press on its bare
// area is its own, so that only the bare background moves the window.
class Panel : public QWidget {
    Q_OBJECT
  public:
    explicit Panel(QWidget* parent) : QWidget(parent) {}

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace window
