#include "gui/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

namespace {
// A text is not made smaller than this share of the label's own font.
constexpr qreal kSmallestScale = 0.7;
}  // namespace

ElidedLabel::Fit ElidedLabel::fit() const {
    const QRect room = contentsRect();
    QFont shown = font();
    const bool inPoints = shown.pointSizeF() > 0;
    const qreal size = inPoints ? shown.pointSizeF() : shown.pixelSize();
    for (qreal scale = 1.0; scale >= kSmallestScale - 0.001; scale -= 0.05) {
        if (inPoints) shown.setPointSizeF(size * scale);
        else shown.setPixelSize(std::max(1, qRound(size * scale)));
        const QFontMetrics metrics(shown);
        if (metrics.horizontalAdvance(text()) <= room.width()) return {shown, false, true};
        const QRect wrapped = metrics.boundingRect(room, Qt::TextWordWrap | static_cast<int>(alignment()), text());
        if (wrapped.height() <= room.height() && wrapped.width() <= room.width()) return {shown, true, true};
    }
    return {font(), false, false};
}

QString ElidedLabel::shownText() const {
    return fit().whole ? text() : fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize ElidedLabel::minimumSizeHint() const {
    QSize size = QLabel::minimumSizeHint();
    size.setWidth(std::min(size.width(), fontMetrics().horizontalAdvance(QStringLiteral("Mm\u2026"))));
    return size;
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    const Fit how = fit();
    const QString shown = how.whole ? text() : fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
    setToolTip(how.whole ? QString() : text());
    QPainter painter(this);
    painter.setFont(how.font);
    const int flags = static_cast<int>(alignment()) | (how.wrapped ? Qt::TextWordWrap : 0);
    style()->drawItemText(&painter, contentsRect(), flags, palette(), isEnabled(), shown, foregroundRole());
}
