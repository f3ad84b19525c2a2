#include "LevelBadges.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>
#include <stdexcept>
#include <string>

#include "Canvas.h"
#include "Marks.h"
#include "Palette.h"

namespace draw {

namespace {

constexpr int kPad = 4;
constexpr int kMark = 14;
constexpr int kGap = 2;
constexpr int kMarksPerKind = 5;
constexpr CreditMark kKinds[] = {CreditMark::Heart, CreditMark::Diamond, CreditMark::Crown,
                                 CreditMark::GoldenCrown};
const QColor kMutedText(0x7A, 0x6A, 0x4C);

QImage Badge(int width) {
    QImage image = NewImage({width, kBadgeHeight}, false, kBadge);
    QPainter p(&image);
    p.setPen(kBadgeEdge);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 0, width - 1, kBadgeHeight - 1));
    return image;
}

int TextWidth(const QFont& font, const QString& text) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

QImage NoCreditBadge() {
    const QString text = "暂无信用";
    const QFont font = CaptionFont(11, false);
    const int width = kPad + kMark + 3 + TextWidth(font, text) + kPad + 1;
    QImage image = Badge(width);
    QPainter p(&image);
    Smooth(p);
    DrawHollowHeart(p, QRectF(kPad, 3, kMark, kMark), QColor(0xB4, 0xA5, 0x88));
    p.setFont(font);
    p.setPen(kMutedText);
    p.drawText(QRectF(kPad + kMark + 3, 0, width, kBadgeHeight), Qt::AlignVCenter | Qt::AlignLeft,
               text);
    return image;
}

}  // namespace

QImage DrawLevelBadge(int level) {
    if (level < 0 || level > kHighestLevel) {
        throw std::out_of_range("no seller level " + std::to_string(level));
    }
    if (level == 0) {
        return NoCreditBadge();
    }
    const CreditMark mark = kKinds[(level - 1) / kMarksPerKind];
    const int count = (level - 1) % kMarksPerKind + 1;
    const int width = 2 * kPad + count * kMark + (count - 1) * kGap;
    QImage image = Badge(width);
    QPainter p(&image);
    Smooth(p);
    for (int i = 0; i < count; ++i) {
        DrawCreditMark(p, QRectF(kPad + i * (kMark + kGap), 3, kMark, kMark), mark);
    }
    return image;
}

QImage DrawNoMinimumBadge() {
    QImage image = Badge(kBadgeMaxWidth);
    QPainter p(&image);
    Smooth(p);
    p.setFont(CaptionFont(12, true));
    p.setPen(kMutedText);
    DrawCentred(p, QRectF(image.rect()), "信用不限");
    return image;
}

}  // namespace draw
