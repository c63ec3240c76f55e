#include "gui/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize ElidedLabel::minimumSizeHint() const {
    QSize size = QLabel::minimumSizeHint();
    size.setWidth(std::min(size.width(), fontMetrics().horizontalAdvance(QStringLiteral("Mm\u2026"))));
    return size;
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    const QString shown = shownText();
    setToolTip(shown == text() ? QString() : text());
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}
