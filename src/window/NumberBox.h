#pragma once

#include <QLineEdit>

namespace window {

// A box for a whole, non-negative number. It takes digits and thousands separators only, and
// shows its number in the display format ",0" once editing ends: digits in groups of three
// separated by ",", "0" for nothing, every character but the digits dropped (so "1,2,3" is 123)
// and leading zeros gone. text() is what it shows.
class NumberBox : public QLineEdit {
    Q_OBJECT
  public:
    explicit NumberBox(QWidget* parent);

    // Twelve digits with their separators: more than any price.
    static constexpr int kMostCharacters = 15;
};

}  // namespace window
