#pragma once

#include <QImage>

namespace draw {

inline constexpr int kSearchFrames = 12;

// Frame `frame` (0 to kSearchFrames − 1) of the "searching" animation, 72 × 67 without alpha:
// a magnifier circling inside a ring of dots that turns. Drawn over `background`'s colours at
// the animation's window position, so that it blends into the card.
QImage DrawSearchFrame(const QImage& background, int frame);

}  // namespace draw
