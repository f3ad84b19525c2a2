#pragma once

#include <QBitmap>
#include <QColor>
#include <QImage>

namespace window {

// The colour that marks what lies outside the window: the picture's bottom-left pixel.
QColor KeyColour(const QImage& background);

// The window's outline cut from its background: set where a pixel differs from the key colour,
// clear where it equals it.
QBitmap OutlineMask(const QImage& background);

}  // namespace window
