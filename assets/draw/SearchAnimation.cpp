#include "SearchAnimation.h"

#include <QPainter>
#include <cmath>
#include <numbers>

#include "Canvas.h"
#include "Marks.h"
#include "Palette.h"

namespace draw {

namespace {

constexpr int kDots = 12;
constexpr int kTrail = 7;

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

}  // namespace

QImage DrawSearchFrame(const QImage& background, int frame) {
    QImage image = background.copy(QRect(kSearchAnimationAt, kSearchAnimationSize));
    QPainter p(&image);
    Smooth(p);
    const QPointF centre(36.0, 33.5);
    const double ringRadius = 26.0;
    const double turn = 2.0 * std::numbers::pi / kDots;
    const QColor card = image.pixelColor(0, 0);
    const QColor idle = Mix(card, kLightText, 0.22);
    p.setPen(Qt::NoPen);
    for (int d = 0; d < kDots; ++d) {
        // The head dot runs clockwise; the dots behind it fade out.
        const int behind = ((frame - d) % kDots + kDots) % kDots;
        const double angle = -std::numbers::pi / 2 + d * turn;
        const QPointF at = centre + QPointF(std::cos(angle), std::sin(angle)) * ringRadius;
        QColor colour = idle;
        double radius = 2.4;
        if (behind < kTrail) {
            const double t = static_cast<double>(behind) / kTrail;
            colour = Mix(kGold, idle, t);
            radius = 3.4 - 1.0 * t;
        }
        p.setBrush(colour);
        p.drawEllipse(at, radius, radius);
    }

    const double sway = 2.0 * std::numbers::pi * frame / kSearchFrames;
    const QPointF lens = centre + QPointF(-3.5 + 3.0 * std::cos(sway), -3.5 + 3.0 * std::sin(sway));
    const MagnifierStyle style{QColor(0xE4, 0xEF, 0xFA), QColor(0xE4, 0xEF, 0xFA, 40), kGoldDeep,
                               2.6};
    DrawMagnifier(p, lens, 11.0, style);
    return image;
}

}  // namespace draw
