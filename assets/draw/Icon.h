#pragma once

#include <QImage>
#include <QRectF>

class QPainter;

namespace draw {

// The program's mark, a gold magnifier over a heart on a navy tile, filling `box`.
void DrawIconMark(QPainter& painter, const QRectF& box);

// The window icon, 256 × 256 with alpha.
QImage DrawIcon();

}  // namespace draw
