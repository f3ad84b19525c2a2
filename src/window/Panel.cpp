#include "window/Panel.h"

#include <QMouseEvent>

namespace window {

void Panel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

}  // namespace window
