#pragma once

#include <QLabel>

namespace window {

// A word-wrapped hint whose text was laid out for a text wrapper that breaks lines only at
// blanks and at carriage returns: runs of blanks inside a line stood where the line was to
// break, and a carriage return ended a line. text() keeps the text as it is; the label shows
// ShownText(text()), which Qt wraps by itself, also between Chinese characters.
class HintLabel : public QLabel {
    Q_OBJECT
  public:
    explicit HintLabel(QWidget* parent) : QLabel(parent) {}

    // Carriage returns (alone or before a line feed) become line breaks; runs of two or more
    // blanks inside a line go; blanks that open a line stay as its indentation.
    static QString ShownText(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace window
