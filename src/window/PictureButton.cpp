#include "window/PictureButton.h"

#include <QPainter>

namespace window {

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void PictureButton::SetFaces(const QString& faces) {
    normal_ = QPixmap(faces + ".png");
    hover_ = QPixmap(faces + "Hover.png");
    down_ = QPixmap(faces + "Down.png");
    updateGeometry();
    update();
}

QSize PictureButton::sizeHint() const {
    return normal_.isNull() ? QSize(89, 26) : normal_.deviceIndependentSize().toSize();
}

void PictureButton::paintEvent(QPaintEvent*) {
    const QPixmap& face = isDown() ? down_ : underMouse() ? hover_ : normal_;
    QPainter painter(this);
    painter.drawPixmap(rect(), face.isNull() ? normal_ : face);
}

void PictureButton::enterEvent(QEnterEvent* event) {
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace window
