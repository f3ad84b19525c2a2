#pragma once

#include <QImage>

namespace draw {

inline constexpr int kHighestLevel = 20;
inline constexpr int kBadgeHeight = 20;
inline constexpr int kBadgeMaxWidth = 91;

// The picture of seller credit level `level` (0 to 20) without alpha: nothing yet for 0, then one
// to five hearts, diamonds, crowns and golden crowns, on a light badge that reads on the white
// result page and on the dark card alike. 20 pixels high, as wide as the marks need.
// Throws std::out_of_range for any other level.
QImage DrawLevelBadge(int level);

// The level picture shown before the slider first moves, 91 × 20: no minimum level.
QImage DrawNoMinimumBadge();

}  // namespace draw
