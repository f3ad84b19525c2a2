#include "Canvas.h"

#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QImageWriter>
#include <QPainter>
#include <stdexcept>

namespace draw {

namespace {

constexpr const char* kCaptionFamily = "Noto Sans CJK SC";

}  // namespace

QImage NewImage(QSize size, bool alpha, const QColor& fill) {
    QImage image(size, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.fill(alpha ? QColor(Qt::transparent) : fill);
    return image;
}

QFont CaptionFont(int pixelSize, bool bold) {
    QFont font(kCaptionFamily);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    if (QFontInfo(font).family() != kCaptionFamily) {
        throw std::runtime_error(std::string(kCaptionFamily) +
                                 " is not installed (Debian package fonts-noto-cjk)");
    }
    return font;
}

void Smooth(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

void DrawCentred(QPainter& painter, const QRectF& box, const QString& text, double dy) {
    painter.drawText(box.translated(0, dy), Qt::AlignCenter, text);
}

void SavePng(const QImage& image, const QString& path) {
    const QImage out = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                               : image.convertToFormat(QImage::Format_RGB32);
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) {
        throw std::runtime_error("cannot create the directory " + dir.toStdString());
    }
    QImageWriter writer(path, "png");
    if (!writer.write(out)) {
        throw std::runtime_error("cannot write " + path.toStdString() + ": " +
                                 writer.errorString().toStdString());
    }
}

}  // namespace draw
