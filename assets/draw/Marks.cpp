#include "Marks.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <cmath>
#include <initializer_list>

namespace draw {

namespace {

// Shapes are laid out on a unit square and mapped onto the box.
QPointF At(const QRectF& box, double x, double y) {
    return {box.left() + x * box.width(), box.top() + y * box.height()};
}

QPainterPath HeartPath(const QRectF& b) {
    QPainterPath path(At(b, 0.5, 0.96));
    path.cubicTo(At(b, 0.14, 0.70), At(b, 0.0, 0.50), At(b, 0.0, 0.31));
    path.cubicTo(At(b, 0.0, 0.13), At(b, 0.13, 0.04), At(b, 0.27, 0.04));
    path.cubicTo(At(b, 0.39, 0.04), At(b, 0.47, 0.11), At(b, 0.5, 0.21));
    path.cubicTo(At(b, 0.53, 0.11), At(b, 0.61, 0.04), At(b, 0.73, 0.04));
    path.cubicTo(At(b, 0.87, 0.04), At(b, 1.0, 0.13), At(b, 1.0, 0.31));
    path.cubicTo(At(b, 1.0, 0.50), At(b, 0.86, 0.70), At(b, 0.5, 0.96));
    return path;
}

QPolygonF Polygon(const QRectF& b, std::initializer_list<QPointF> unitPoints) {
    QPolygonF polygon;
    for (const QPointF& p : unitPoints) {
        polygon << At(b, p.x(), p.y());
    }
    return polygon;
}

QPen Edge(const QColor& colour, double width) {
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void Heart(QPainter& p, const QRectF& b) {
    QLinearGradient fill(b.topLeft(), b.bottomLeft());
    fill.setColorAt(0.0, QColor(0xFF, 0x6B, 0x7C));
    fill.setColorAt(1.0, QColor(0xD8, 0x1B, 0x36));
    p.setPen(Edge(QColor(0xA3, 0x10, 0x26), 1.0));
    p.setBrush(fill);
    p.drawPath(HeartPath(b));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QRectF(At(b, 0.17, 0.16), QSizeF(b.width() * 0.2, b.height() * 0.17)));
}

void Diamond(QPainter& p, const QRectF& b) {
    const QPolygonF outline =
        Polygon(b, {{0.24, 0.08}, {0.76, 0.08}, {1.0, 0.36}, {0.5, 0.96}, {0.0, 0.36}});
    const QPolygonF crown = Polygon(b, {{0.24, 0.08}, {0.76, 0.08}, {1.0, 0.36}, {0.0, 0.36}});
    const QPolygonF table = Polygon(b, {{0.36, 0.08}, {0.64, 0.08}, {0.72, 0.36}, {0.28, 0.36}});
    p.setPen(Qt::NoPen);
    QLinearGradient pavilion(b.topLeft(), b.bottomRight());
    pavilion.setColorAt(0.0, QColor(0x4C, 0xB4, 0xFF));
    pavilion.setColorAt(1.0, QColor(0x12, 0x5C, 0xC4));
    p.setBrush(pavilion);
    p.drawPolygon(outline);
    p.setBrush(QColor(0x9A, 0xDA, 0xFF));
    p.drawPolygon(crown);
    p.setBrush(QColor(0xDF, 0xF4, 0xFF));
    p.drawPolygon(table);
    p.setBrush(Qt::NoBrush);
    p.setPen(Edge(QColor(0x0C, 0x47, 0x9A), 1.0));
    p.drawPolygon(outline);
}

void Crown(QPainter& p, const QRectF& b, bool golden) {
    const QColor light = golden ? QColor(0xFF, 0xE4, 0x6E) : QColor(0x8C, 0xA4, 0xFF);
    const QColor deep = golden ? QColor(0xF0, 0xA2, 0x10) : QColor(0x3A, 0x4F, 0xD8);
    const QColor edge = golden ? QColor(0x9C, 0x5E, 0x00) : QColor(0x22, 0x2E, 0x8E);
    const QPolygonF body = Polygon(b, {{0.10, 0.82},
                                       {0.06, 0.30},
                                       {0.30, 0.56},
                                       {0.5, 0.16},
                                       {0.70, 0.56},
                                       {0.94, 0.30},
                                       {0.90, 0.82}});
    QLinearGradient fill(b.topLeft(), b.bottomLeft());
    fill.setColorAt(0.0, light);
    fill.setColorAt(1.0, deep);
    p.setPen(Edge(edge, 1.0));
    p.setBrush(fill);
    p.drawPolygon(body);
    p.drawRect(QRectF(At(b, 0.08, 0.78), At(b, 0.92, 0.94)));
    const double tip = b.width() * 0.085;
    for (const QPointF& c : {At(b, 0.06, 0.27), At(b, 0.5, 0.13), At(b, 0.94, 0.27)}) {
        p.drawEllipse(c, tip, tip);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(golden ? QColor(0xE0, 0x1E, 0x3C) : QColor(0xFF, 0xFF, 0xFF, 210));
    p.drawEllipse(At(b, 0.5, 0.66), b.width() * 0.09, b.height() * 0.09);
}

}  // namespace

void DrawCreditMark(QPainter& painter, const QRectF& box, CreditMark mark) {
    painter.save();
    switch (mark) {
        case CreditMark::Heart:
            Heart(painter, box);
            break;
        case CreditMark::Diamond:
            Diamond(painter, box);
            break;
        case CreditMark::Crown:
            Crown(painter, box, false);
            break;
        case CreditMark::GoldenCrown:
            Crown(painter, box, true);
            break;
    }
    painter.restore();
}

void DrawHollowHeart(QPainter& painter, const QRectF& box, const QColor& colour) {
    painter.save();
    painter.setPen(Edge(colour, 1.3));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(HeartPath(box.adjusted(0.7, 0.7, -0.7, -0.7)));
    painter.restore();
}

void DrawMagnifier(QPainter& painter, QPointF lens, double radius, const MagnifierStyle& style) {
    painter.save();
    const double reach = radius * 0.7071;
    const QPointF handleStart = lens + QPointF(reach, reach);
    const QPointF handleEnd = lens + QPointF(radius * 1.75, radius * 1.75);
    QPen handle(style.handle, style.rimWidth * 1.9, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(handle);
    painter.drawLine(handleStart, handleEnd);
    painter.setPen(QPen(style.rim, style.rimWidth));
    painter.setBrush(style.glass);
    painter.drawEllipse(lens, radius, radius);
    painter.setPen(
        QPen(QColor(255, 255, 255, 170), style.rimWidth * 0.55, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    const double glint = radius * 0.62;
    painter.drawArc(QRectF(lens.x() - glint, lens.y() - glint, 2 * glint, 2 * glint), 100 * 16,
                    70 * 16);
    painter.restore();
}

}  // namespace draw
