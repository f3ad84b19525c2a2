#pragma once

#include <QImage>

namespace draw {

// The window's background, 802 × 567 without alpha: title band, the dark card behind the
// panels and the bottom strip. Everything outside the rounded outline, the one-pixel frame
// included, is the key colour; no pixel inside the outline is.
QImage DrawBackground();

}  // namespace draw
