#pragma once

#include <QWidget>

namespace window {

// A horizontal dotted line through the middle of its rectangle, in its text colour.
class DottedLine : public QWidget {
    Q_OBJECT
  public:
    explicit DottedLine(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace window
