#pragma once
#include <QLabel>

/// A one-line label that never pushes its neighbours aside: when its text is wider than the room it gets, it
/// shows the start of the text and "…", and the whole text as its tooltip. `text()` stays the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    /// The text as drawn at the current width.
    QString shownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
