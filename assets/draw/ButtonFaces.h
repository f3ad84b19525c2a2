#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace draw {

enum class ButtonState { Normal, Hover, Down };

enum class ButtonTone { Gold, Red };

// One face of a captioned picture button, with alpha. Down draws the face pressed in and the
// caption one pixel lower.
QImage DrawCaptionButton(QSize size, const QString& caption, ButtonTone tone, ButtonState state);

// One face of the close button (53 × 22, with alpha): a cross, red under the pointer.
QImage DrawCloseButton(ButtonState state);

}  // namespace draw
