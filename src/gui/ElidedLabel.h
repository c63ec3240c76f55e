#pragma once
#include <QLabel>

/// A label that never pushes its neighbours aside: a text wider than the room it gets is drawn a little smaller
/// (down to 70 %), on one line or wrapped onto the lines its height holds, and only when none of that holds it
/// shows the start of the text and "…", with the whole text as its tooltip. `text()` stays the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    /// The text as drawn at the current size (the whole text when it fits, wrapped or not).
    QString shownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Fit {
        QFont font;
        bool wrapped;
        bool whole;  // the whole text is shown
    };
    Fit fit() const;
};
