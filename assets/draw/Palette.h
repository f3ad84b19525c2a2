#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>

// Colours and window positions shared by all pictures. The positions are those of the search
// window's layout; the pictures are drawn to sit exactly there.
namespace draw {

// The window's outline is cut where the background has this colour.
inline constexpr QRgb kKey = 0xFFFF00FF;

// The card behind the panels: dark enough for white and yellow label text.
inline const QColor kCard{0x16, 0x26, 0x3A};
inline const QColor kCardEdge{0x3F, 0x62, 0x88};
inline const QColor kBodyTop{0x2F, 0x51, 0x76};
inline const QColor kBodyBottom{0x1D, 0x32, 0x4A};
inline const QColor kOutline{0x0E, 0x18, 0x24};
inline const QColor kStrip{0x12, 0x1F, 0x30};
inline const QColor kLightText{0xC9, 0xDA, 0xEA};

// The warm accent of buttons, the step arrow and the animation.
inline const QColor kGold{0xFF, 0xC8, 0x3D};
inline const QColor kGoldDeep{0xE8, 0x9A, 0x12};
inline const QColor kGoldEdge{0xA8, 0x68, 0x06};
inline const QColor kDarkCaption{0x3A, 0x22, 0x00};

// The light plate and badges that carry dark text.
inline const QColor kPlateTop{0xF4, 0xF8, 0xFC};
inline const QColor kPlateBottom{0xD6, 0xE2, 0xEE};
inline const QColor kPlateEdge{0x8E, 0xA9, 0xC4};
inline const QColor kBadge{0xFF, 0xFA, 0xEE};
inline const QColor kBadgeEdge{0xD4, 0xBE, 0x8E};

inline constexpr QSize kWindowSize{802, 567};
inline constexpr QRect kCardRect{40, 72, 721, 441};
inline constexpr QRect kCloseButtonRect{726, 12, 53, 22};
inline constexpr int kTitleBandHeight = 72;
inline constexpr int kStripTop = 530;
// Depth of the rounded outline, measured along the first row inside the frame.
inline constexpr double kCornerRadius = 9.0;

inline constexpr QSize kSearchAnimationSize{72, 67};
inline constexpr QPoint kSearchAnimationAt{576, 144};

}  // namespace draw
