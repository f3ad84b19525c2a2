#pragma once

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

// Small helpers every picture uses: fresh images, the caption font and saving.
namespace draw {

// A fresh image: with an alpha channel (fully transparent) or without (filled with `fill`).
QImage NewImage(QSize size, bool alpha, const QColor& fill = Qt::transparent);

// Noto Sans CJK SC at this pixel size. Throws std::runtime_error when the font is not installed,
// so that no picture is ever written with boxes in place of Chinese glyphs.
QFont CaptionFont(int pixelSize, bool bold);

// A painter set up for smooth shapes and text.
void Smooth(QPainter& painter);

// Draws `text` centred in `box`, nudged down by `dy` pixels.
void DrawCentred(QPainter& painter, const QRectF& box, const QString& text, double dy = 0.0);

// Writes the image as PNG, with alpha only when the image has it. Creates missing directories.
// Throws std::runtime_error naming the file when writing fails.
void SavePng(const QImage& image, const QString& path);

}  // namespace draw
