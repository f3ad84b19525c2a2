#include "Background.h"

#include <QLinearGradient>
#include <QPainter>
#include <cmath>

#include "Canvas.h"
#include "Icon.h"
#include "Palette.h"

namespace draw {

namespace {

// Inside the rounded outline that leaves a one-pixel frame, judged at the pixel's centre.
bool InsideOutline(int x, int y, int width, int height) {
    const double left = 1.0;
    const double top = 1.0;
    const double right = width - 1.0;
    const double bottom = height - 1.0;
    const double px = x + 0.5;
    const double py = y + 0.5;
    if (px < left || px > right || py < top || py > bottom) {
        return false;
    }
    const double r = kCornerRadius;
    const double cx = px < left + r ? left + r : (px > right - r ? right - r : px);
    const double cy = py < top + r ? top + r : (py > bottom - r ? bottom - r : py);
    return std::hypot(px - cx, py - cy) <= r;
}

// Key colour outside the outline, a dark rim on its inner edge so that the cut is crisp on any
// desktop, and no key colour left inside.
void CutOutline(QImage& image) {
    const int w = image.width();
    const int h = image.height();
    const QRgb rim = kOutline.rgb();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            QRgb colour = image.pixel(x, y);
            if (!InsideOutline(x, y, w, h)) {
                colour = kKey;
            } else if (!InsideOutline(x - 1, y, w, h) || !InsideOutline(x + 1, y, w, h) ||
                       !InsideOutline(x, y - 1, w, h) || !InsideOutline(x, y + 1, w, h)) {
                colour = rim;
            } else if ((colour & 0xFFFFFF) == (kKey & 0xFFFFFF)) {
                colour = qRgb(0xFE, 0x00, 0xFF);
            }
            image.setPixel(x, y, colour);
        }
    }
}

void DrawBody(QPainter& p, QSize size) {
    QLinearGradient body(0, 0, 0, size.height());
    body.setColorAt(0.0, kBodyTop);
    body.setColorAt(1.0, kBodyBottom);
    p.fillRect(QRect(QPoint(0, 0), size), body);

    QLinearGradient band(0, 0, 0, kTitleBandHeight);
    band.setColorAt(0.0, QColor(0x3B, 0x66, 0x92));
    band.setColorAt(1.0, kBodyTop);
    p.fillRect(QRect(0, 0, size.width(), kTitleBandHeight), band);
    p.fillRect(QRect(0, 2, size.width(), 1), QColor(0x5E, 0x8A, 0xB6));
}

void DrawTitle(QPainter& p) {
    DrawIconMark(p, QRectF(38, 16, 40, 40));
    p.setFont(CaptionFont(28, true));
    p.setPen(QColor(0x10, 0x1E, 0x2E, 140));
    p.drawText(QPointF(91, 48), "Qorvane");
    p.setPen(Qt::white);
    p.drawText(QPointF(90, 47), "Qorvane");
    p.setFont(CaptionFont(13, false));
    p.setPen(kLightText);
    p.drawText(QPointF(230, 46), "购物助手  ·  货比三家，帮你挑出最值得买的宝贝");
}

void DrawCard(QPainter& p) {
    const QRectF card = QRectF(kCardRect).adjusted(0.5, 0.5, -0.5, -0.5);
    for (int i = 3; i >= 1; --i) {
        p.setPen(QPen(QColor(0x06, 0x0E, 0x18, 34), 2.0 * i));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(card, 7, 7);
    }
    p.setPen(QPen(kCardEdge, 1.0));
    p.setBrush(kCard);
    p.drawRoundedRect(card, 7, 7);
}

void DrawStrip(QPainter& p, QSize size) {
    p.fillRect(QRect(0, kStripTop, size.width(), size.height() - kStripTop), kStrip);
    p.fillRect(QRect(0, kStripTop, size.width(), 1), QColor(0x36, 0x55, 0x78));
}

}  // namespace

QImage DrawBackground() {
    QImage image = NewImage(kWindowSize, false, kCard);
    {
        QPainter painter(&image);
        Smooth(painter);
        DrawBody(painter, kWindowSize);
        DrawTitle(painter);
        DrawStrip(painter, kWindowSize);
        DrawCard(painter);
    }
    CutOutline(image);
    return image;
}

}  // namespace draw
