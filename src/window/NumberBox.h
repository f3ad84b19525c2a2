#pragma once

#include <QLineEdit>

#include <string>
#include <string_view>

namespace window {

// A whole number as the number boxes show it (display format ",0"): digits in groups of three
// separated by ",", "0" for nothing. Every character but the digits is dropped, so "1,2,3" is
// 123; leading zeros go.
std::string FormatWholeNumber(std::string_view typed);

// A box for a whole, non-negative number. It takes digits and thousands separators only, and
// shows its number in the display format once editing ends. text() is what it shows.
class NumberBox : public QLineEdit {
    Q_OBJECT
  public:
    explicit NumberBox(QWidget* parent);

    // Twelve digits with their separators: more than any price.
    static constexpr int kMostCharacters = 15;
};

}  // namespace window
