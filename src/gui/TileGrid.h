#pragma once
#include <QGridLayout>
#include <QObject>
#include <QPointer>

class QWidget;

/// A grid of buttons (the tablet menu's tiles) made to read and work like one: its columns are equally wide and
/// as many as the width holds (the tiles flow into fewer columns in a narrow window, in reading order); the
/// arrow keys move the focus to the tile beside, above or below (across to the grid above or below in the same
/// area at its edge), Home and End to the first and last tile.
class TileGrid : public QObject {
    Q_OBJECT
public:
    /// Takes over `grid` if every cell of it holds a button; otherwise does nothing.
    static void attach(QGridLayout* grid);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TileGrid(QGridLayout* grid);
    bool moveFocus(QWidget* tile, int key);
    /// The tile at (row, column) if it can take the focus.
    QWidget* usableAt(int row, int column) const;
    /// The grid of the same area next below (`down`) or above this one, or null.
    TileGrid* beside(bool down) const;
    /// Focuses the tile of the first (`fromTop`) or last filled row nearest `column`.
    void enter(bool fromTop, int column);
    /// Lays the tiles out in as many columns as `width` holds.
    void flow(int width);

    QPointer<QGridLayout> grid_;  // goes before its tiles when the page is destroyed
    QWidget* area_;               // the widget the grid lays out, which owns this object
    int tileWidth_ = 0;           // the widest tile's least width
};
