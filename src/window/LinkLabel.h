#pragma once

#include <QLabel>

namespace window {

// A label that acts as a link: a pointing hand over it, clicked() on a left click.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    explicit LinkLabel(QWidget* parent);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace window
