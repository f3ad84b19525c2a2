#pragma once

#include <QImage>

namespace draw {

// The step arrow, 10 × 10 with alpha, pointing right at the current step's label.
QImage DrawArrow();

// The light plate behind the keyword entry (Image1), 385 × 84 without alpha. Its corners are
// drawn on `background`'s colours at the plate's window position, so that they blend in.
QImage DrawEntryPlate(const QImage& background);

}  // namespace draw
