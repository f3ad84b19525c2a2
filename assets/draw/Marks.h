#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

class QPainter;

// The marks shared by several pictures: the credit marks of the level badges and the
// magnifier of the icon, the title and the search animation. Each fills the box it is given.
namespace draw {

enum class CreditMark { Heart, Diamond, Crown, GoldenCrown };

void DrawCreditMark(QPainter& painter, const QRectF& box, CreditMark mark);

// The outline of a heart in `colour`, for "no credit yet".
void DrawHollowHeart(QPainter& painter, const QRectF& box, const QColor& colour);

struct MagnifierStyle {
    QColor rim;
    QColor glass;
    QColor handle;
    double rimWidth;
};

// A magnifier whose lens is centred at `lens`; the handle points to the lower right.
void DrawMagnifier(QPainter& painter, QPointF lens, double radius, const MagnifierStyle& style);

}  // namespace draw
