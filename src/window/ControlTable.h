#pragma once

#include "window/DottedLine.h"
#include "window/HintLabel.h"
#include "window/HtmlView.h"
#include "window/LinkLabel.h"
#include "window/NumberBox.h"
#include "window/Panel.h"
#include "window/PictureButton.h"

#include <QCheckBox>
#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>

namespace window {

// Text colours of the windows' tables. Default keeps the style's own.
enum class TextColour { Default, Light, Dark, White, Yellow, Red, Green, Link, Address, Visited };

QColor ColourOf(TextColour colour);

enum ControlFlags : unsigned {
    kPlain = 0,
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    kWraps = 1u << 2,
    kBold = 1u << 3,
    kUnderline = 1u << 5,
    // A label that keeps its size fitted to its text; see SetAutoSizedText.
    kAutoSize = 1u << 4,
};

// The form field that receives a control; its type decides the control's class.
template <typename Form>
using ControlMember = std::variant<QLabel * Form::*, LinkLabel * Form::*, HintLabel * Form::*,
                                   PictureButton * Form::*, QLineEdit * Form::*, QSpinBox * Form::*,
                                   NumberBox * Form::*, QCheckBox * Form::*, QGroupBox * Form::*,
                                   DottedLine * Form::*, QSlider * Form::*, QProgressBar * Form::*,
                                   HtmlView * Form::*, Panel * Form::*, QPushButton * Form::*>;

// One row of a window's control table. Positions are relative to the parent, in
// device-independent pixels; a width or height of 0 takes the control's natural size.
template <typename Form>
struct ControlRow {
    ControlMember<Form> member;
    const char* name;
    const char* parent;  // a name of an earlier row; "" for the window itself
    int x, y, w, h;
    std::string caption;
    const char* picture;  // a picture's resource, or a picture button's faces; "" for none
    TextColour colour;
    unsigned flags;
};

// Sets a label's text and, for a kAutoSize label, fits its size to it.
void SetAutoSizedText(QLabel* label, const QString& text);

namespace detail {

template <typename Member>
struct MemberClass;
template <typename Form, typename Widget>
struct MemberClass<Widget * Form::*> {
    using type = Widget;
};

void ApplyLook(QWidget* widget, TextColour colour, unsigned flags);
void Place(QWidget* widget, int x, int y, int w, int h);

template <typename Widget>
void ApplyCaption(Widget* widget, const std::string& caption, const char* picture) {
    const QString text = QString::fromStdString(caption);
    if constexpr (std::is_base_of_v<QLabel, Widget>) {
        if (*picture != '\0') {
            widget->setPixmap(QPixmap(QString::fromUtf8(picture)));
        } else {
            widget->setText(text);
        }
    } else if constexpr (std::is_same_v<Widget, PictureButton>) {
        widget->SetFaces(QString::fromUtf8(picture));
        widget->setText(text);
    } else if constexpr (std::is_base_of_v<QAbstractButton, Widget> ||
                         std::is_base_of_v<QLineEdit, Widget>) {
        widget->setText(text);
    } else if constexpr (std::is_base_of_v<QGroupBox, Widget>) {
        widget->setTitle(text);
    }
}

}  // namespace detail

// Creates the controls of rows in order, each a child of its parent row (Qt's parent ownership),
// named, placed, captioned and styled as its row says, and stores each in its form field.
// Throws std::logic_error for a row whose parent does not come before it.
template <typename Form>
void BuildControls(Form& form, QWidget* root, std::span<const ControlRow<Form>> rows) {
    std::map<std::string, QWidget*, std::less<>> made{{"", root}};
    for (const ControlRow<Form>& row : rows) {
        const auto parent = made.find(std::string_view(row.parent));
        if (parent == made.end()) {
            throw std::logic_error(std::string("the control ") + row.name +
                                   " names an unknown parent " + row.parent);
        }
        std::visit(
            [&](auto member) {
                using Widget = typename detail::MemberClass<decltype(member)>::type;
                auto* widget = new Widget(parent->second);
                widget->setObjectName(QString::fromUtf8(row.name));
                detail::ApplyLook(widget, row.colour, row.flags);
                detail::ApplyCaption(widget, row.caption, row.picture);
                detail::Place(widget, row.x, row.y, row.w, row.h);
                form.*member = widget;
                made.emplace(row.name, widget);
            },
            row.member);
    }
}

}  // namespace window
