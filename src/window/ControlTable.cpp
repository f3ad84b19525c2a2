#include "window/ControlTable.h"

namespace window {

QColor ColourOf(TextColour colour) {
    switch (colour) {
        case TextColour::Light:
            return QColor(0xE6, 0xEE, 0xF5);
        case TextColour::Dark:
            return QColor(0x24, 0x30, 0x3C);
        case TextColour::White:
            return QColor(Qt::white);
        case TextColour::Yellow:
            return QColor(0xFF, 0xE0, 0x3A);
        case TextColour::Red:
            return QColor(0xFF, 0x4A, 0x4A);
        case TextColour::Green:
            return QColor(0x4C, 0xE0, 0x5A);
        case TextColour::Link:
            return QColor(0x1A, 0x4F, 0xA8);
        case TextColour::Address:
            return QColor(0x9C, 0xCF, 0xFF);
        case TextColour::Visited:
            return QColor(0xC8, 0x96, 0xFF);
        case TextColour::Default:
            break;
    }
    return {};
}

void SetAutoSizedText(QLabel* label, const QString& text) {
    label->setText(text);
    if (label->property("autoSize").toBool()) {
        label->adjustSize();
    }
}

namespace detail {

void ApplyLook(QWidget* widget, TextColour colour, unsigned flags) {
    if (colour != TextColour::Default) {
        const QColor text = ColourOf(colour);
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, text);
        // Disabled text fades into whatever lies behind it instead of turning the style's grey.
        QColor faded = text;
        faded.setAlphaF(0.45F);
        palette.setColor(QPalette::Disabled, QPalette::WindowText, faded);
        widget->setPalette(palette);
    }
    if ((flags & (kBold | kUnderline)) != 0) {
        QFont font = widget->font();
        font.setBold((flags & kBold) != 0);
        font.setUnderline((flags & kUnderline) != 0);
        widget->setFont(font);
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setWordWrap((flags & kWraps) != 0);
        label->setProperty("autoSize", (flags & kAutoSize) != 0);
    }
    if ((flags & kDisabled) != 0) {
        widget->setEnabled(false);
    }
    if ((flags & kHidden) != 0) {
        widget->hide();
    }
}

void Place(QWidget* widget, int x, int y, int w, int h) {
    if (w == 0 || h == 0) {
        widget->adjustSize();
    }
    widget->setGeometry(x, y, w == 0 ? widget->width() : w, h == 0 ? widget->height() : h);
}

}  // namespace detail
}  // namespace window
