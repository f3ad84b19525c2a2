// The shaped frameless window: its background, its outline and its dragging.

#include "window/CentreOnScreen.h"
#include "window/SearchWindow.h"

#include <QBitmap>
#include <QColor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace window {
namespace {

// The colour that marks what lies outside the window: the picture's bottom-left pixel.
QColor KeyColour(const QImage& background) {
    return background.pixelColor(0, background.height() - 1);
}

// The window's outline as QWidget::setMask takes it: every pixel of the background but those in
// the key colour.
QBitmap OutlineMask(const QImage& background) {
    const QImage rgb = background.convertToFormat(QImage::Format_RGB32);
    // As a window mask, this bitmap leaves out exactly the key-coloured pixels; MaskOutColor
    // would keep only them.
    return QBitmap::fromImage(rgb.createMaskFromColor(KeyColour(rgb).rgb(), Qt::MaskInColor));
}

}  // namespace

void TLumiskSearch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void TLumiskSearch::showEvent(QShowEvent* event) {
    if (!outlineCut_) {
        outlineCut_ = true;
        CentreOnScreen(*this);
        CutOutline();
    }
    QWidget::showEvent(event);
}

void TLumiskSearch::CutOutline() {
    if (!background_.isNull()) {
        setMask(OutlineMask(background_.toImage()));
    }
}

void TLumiskSearch::mousePressEvent(QMouseEvent* event) {
    // Only the bare background acts as a title bar; panels and controls keep their presses.
    if (event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == nullptr &&
        windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

}  // namespace window
