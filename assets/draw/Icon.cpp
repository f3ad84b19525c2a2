#include "Icon.h"

#include <QLinearGradient>
#include <QPainter>

#include "Canvas.h"
#include "Marks.h"
#include "Palette.h"

namespace draw {

void DrawIconMark(QPainter& painter, const QRectF& box) {
    painter.save();
    const double s = box.width();
    const QRectF tile = box.adjusted(s * 0.02, s * 0.02, -s * 0.02, -s * 0.02);
    QLinearGradient tileFill(tile.topLeft(), tile.bottomLeft());
    tileFill.setColorAt(0.0, QColor(0x3C, 0x68, 0x96));
    tileFill.setColorAt(1.0, kCard);
    painter.setPen(QPen(QColor(0x6C, 0x94, 0xBE), s * 0.012));
    painter.setBrush(tileFill);
    painter.drawRoundedRect(tile, s * 0.22, s * 0.22);

    const QPointF lens(box.left() + s * 0.41, box.top() + s * 0.40);
    const double radius = s * 0.235;
    const MagnifierStyle style{kGold, QColor(0xFF, 0xF6, 0xE0, 235), kGoldDeep, s * 0.07};
    DrawMagnifier(painter, lens, radius, style);
    const double heart = radius * 1.05;
    DrawCreditMark(painter,
                   QRectF(lens.x() - heart / 2, lens.y() - heart / 2 + s * 0.01, heart, heart),
                   CreditMark::Heart);
    painter.restore();
}

QImage DrawIcon() {
    QImage image = NewImage({256, 256}, true);
    QPainter painter(&image);
    Smooth(painter);
    DrawIconMark(painter, QRectF(0, 0, 256, 256));
    return image;
}

}  // namespace draw
