#include "window/DottedLine.h"

#include <QPainter>

namespace window {

DottedLine::DottedLine(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void DottedLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    const int y = height() / 2;
    painter.drawLine(0, y, width() - 1, y);
}

}  // namespace window
