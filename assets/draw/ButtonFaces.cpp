#include "ButtonFaces.h"

#include <QLinearGradient>
#include <QPainter>

#include "Canvas.h"
#include "Palette.h"

namespace draw {

namespace {

struct Face {
    QColor top;
    QColor bottom;
    QColor edge;
    QColor caption;
};

Face FaceOf(ButtonTone tone, ButtonState state) {
    if (tone == ButtonTone::Gold) {
        switch (state) {
            case ButtonState::Normal:
                return {QColor(0xFF, 0xDC, 0x72), kGoldDeep, kGoldEdge, kDarkCaption};
            case ButtonState::Hover:
                return {QColor(0xFF, 0xEA, 0xA6), QColor(0xF7, 0xB5, 0x35), kGoldEdge,
                        kDarkCaption};
            case ButtonState::Down:
                return {QColor(0xD9, 0x8A, 0x0C), QColor(0xF5, 0xC0, 0x4E),
                        QColor(0x86, 0x50, 0x00), kDarkCaption};
        }
    }
    switch (state) {
        case ButtonState::Normal:
            return {QColor(0xF2, 0x7A, 0x6E), QColor(0xC8, 0x32, 0x2A), QColor(0x8A, 0x1C, 0x16),
                    Qt::white};
        case ButtonState::Hover:
            return {QColor(0xFA, 0x9C, 0x92), QColor(0xDA, 0x45, 0x3C), QColor(0x8A, 0x1C, 0x16),
                    Qt::white};
        case ButtonState::Down:
            return {QColor(0xA8, 0x26, 0x1F), QColor(0xD8, 0x55, 0x4A), QColor(0x6C, 0x12, 0x0E),
                    Qt::white};
    }
    return {};
}

}  // namespace

QImage DrawCaptionButton(QSize size, const QString& caption, ButtonTone tone, ButtonState state) {
    const Face face = FaceOf(tone, state);
    QImage image = NewImage(size, true);
    QPainter p(&image);
    Smooth(p);
    const QRectF body = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = 5.0;
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, face.top);
    fill.setColorAt(1.0, face.bottom);
    p.setPen(QPen(face.edge, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(body, radius, radius);
    if (state != ButtonState::Down) {
        p.setPen(QPen(QColor(255, 255, 255, 120), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
    p.setFont(CaptionFont(13, true));
    p.setPen(face.caption);
    DrawCentred(p, body, caption, state == ButtonState::Down ? 0.0 : -1.0);
    return image;
}

QImage DrawCloseButton(ButtonState state) {
    QImage image = NewImage(kCloseButtonRect.size(), true);
    QPainter p(&image);
    Smooth(p);
    const QRectF body = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill(255, 255, 255, 28);
    QColor edge(255, 255, 255, 70);
    if (state == ButtonState::Hover) {
        fill = QColor(0xD6, 0x44, 0x3B);
        edge = QColor(0x9E, 0x24, 0x1D);
    } else if (state == ButtonState::Down) {
        fill = QColor(0xA3, 0x2A, 0x23);
        edge = QColor(0x6E, 0x14, 0x10);
    }
    p.setPen(QPen(edge, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(body, 4, 4);
    const QPointF centre = body.center() + QPointF(0, state == ButtonState::Down ? 1.0 : 0.0);
    const double arm = 4.5;
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(-arm, -arm), centre + QPointF(arm, arm));
    p.drawLine(centre + QPointF(-arm, arm), centre + QPointF(arm, -arm));
    return image;
}

}  // namespace draw
