#pragma once

#include <QBitmap>
#include <QColor>
#include <QImage>

namespace window {

// The colour that marks what lies outside the window: the picture's bottom-left pixel.
QColor KeyColour(const QImage& background);

// The window's outline as QWidget::setMask takes it: every pixel of the background but those in
// the key colour.
QBitmap OutlineMask(const QImage& background);

}  // namespace window
