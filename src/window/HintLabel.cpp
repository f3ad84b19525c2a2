#include "window/HintLabel.h"

#include <QPainter>
#include <QStyle>

namespace window {

QString HintLabel::ShownText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString shown;
    bool lineStart = true;
    for (qsizetype i = 0; i < lines.size();) {
        qsizetype blanks = 0;
        while (i + blanks < lines.size() && lines[i + blanks] == QLatin1Char(' ')) {
            ++blanks;
        }
        if (blanks > 0) {
            if (lineStart || blanks == 1) {
                shown += lines.mid(i, blanks);
            }
            i += blanks;
            lineStart = false;
            continue;
        }
        shown += lines[i];
        lineStart = lines[i] == QLatin1Char('\n');
        ++i;
    }
    return shown;
}

void HintLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(),
                          static_cast<int>(alignment()) | Qt::TextWordWrap, palette(), isEnabled(),
                          ShownText(text()), foregroundRole());
}

}  // namespace window
