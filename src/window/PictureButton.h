#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace window {

// A button drawn entirely by its three pictures, caption included: "Name.png" at rest,
// "NameHover.png" under the mouse and "NameDown.png" while pressed. It takes no keyboard focus,
// so a click leaves the focus where it was. text() holds the caption for accessibility only.
class PictureButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit PictureButton(QWidget* parent);

    // faces: the resource path without ".png", for example ":/window/BtnSearch".
    void SetFaces(const QString& faces);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QPixmap normal_;
    QPixmap hover_;
    QPixmap down_;
};

}  // namespace window
