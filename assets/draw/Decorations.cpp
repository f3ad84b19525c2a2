#include "Decorations.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "Canvas.h"
#include "Palette.h"

namespace draw {

namespace {

// Image1's place: panel (168, 96) on the panels' origin at the card's corner.
constexpr QRect kEntryPlateRect{kCardRect.left() + 168, kCardRect.top() + 96, 385, 84};

}  // namespace

QImage DrawArrow() {
    QImage image = NewImage({10, 10}, true);
    QPainter p(&image);
    Smooth(p);
    QPainterPath arrow;
    arrow.moveTo(2.0, 1.0);
    arrow.lineTo(9.5, 5.0);
    arrow.lineTo(2.0, 9.0);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawPath(arrow);
    return image;
}

QImage DrawEntryPlate(const QImage& background) {
    QImage image = background.copy(kEntryPlateRect);
    QPainter p(&image);
    Smooth(p);
    const QRectF plate = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    fill.setColorAt(0.0, kPlateTop);
    fill.setColorAt(1.0, kPlateBottom);
    p.setPen(QPen(kPlateEdge, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(plate, 8, 8);

    // A gold rule under the captions ties the plate to the buttons.
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawRoundedRect(QRectF(12, 43, 48, 2.5), 1.2, 1.2);
    return image;
}

}  // namespace draw
