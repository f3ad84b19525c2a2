#include "window/NumberBox.h"

#include <QRegularExpressionValidator>

#include <string>
#include <string_view>

namespace window {
namespace {

std::string FormatWholeNumber(std::string_view typed) {
    std::string digits;
    for (const char c : typed) {
        if (c >= '0' && c <= '9' && !(digits.empty() && c == '0')) {
            digits += c;
        }
    }
    if (digits.empty()) {
        return "0";
    }
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace

NumberBox::NumberBox(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9,]{0,%1}").arg(kMostCharacters)), this));
    connect(this, &QLineEdit::editingFinished, this,
            [this] { setText(QString::fromStdString(FormatWholeNumber(text().toStdString()))); });
}

}  // namespace window
