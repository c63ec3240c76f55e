#pragma once
#include <QObject>

class QGridLayout;

/// Keyboard use of a grid of buttons (the tablet menu's tiles): the arrow keys move the focus to the tile
/// beside, above or below, and Enter, like Space, presses the focused tile.
class TileGridKeys : public QObject {
    Q_OBJECT
public:
    /// Follows the buttons of `grid` if every cell of it holds a button; otherwise does nothing.
    static void attach(QGridLayout* grid);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TileGridKeys(QGridLayout* grid);
    QGridLayout* grid_;
};
