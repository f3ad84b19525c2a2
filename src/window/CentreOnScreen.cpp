#include "window/CentreOnScreen.h"

#include <QScreen>
#include <QWidget>

namespace window {

void CentreOnScreen(QWidget& window) {
    if (const QScreen* screen = window.screen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
}

}  // namespace window
