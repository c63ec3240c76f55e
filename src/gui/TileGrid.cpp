#include "gui/TileGrid.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QKeyEvent>
#include <algorithm>
#include <vector>

namespace {
// More columns than this make rows too short to read along.
constexpr int kMostColumns = 4;
}  // namespace

void TileGrid::attach(QGridLayout* grid) {
    if (grid->count() == 0 || !grid->parentWidget()) return;
    for (int i = 0; i < grid->count(); ++i)
        if (!qobject_cast<QAbstractButton*>(grid->itemAt(i)->widget())) return;
    auto* tiles = new TileGrid(grid);
    for (int i = 0; i < grid->count(); ++i) {
        QWidget* tile = grid->itemAt(i)->widget();
        tile->installEventFilter(tiles);
        tiles->tileWidth_ = std::max({tiles->tileWidth_, tile->minimumWidth(), tile->minimumSizeHint().width()});
    }
    // The grid takes the width it is given (its tiles then flow into the columns that fit), rather than asking
    // for the width of its present columns.
    QWidget* area = grid->parentWidget();
    area->setSizePolicy(QSizePolicy::Ignored, area->sizePolicy().verticalPolicy());
    area->installEventFilter(tiles);
    tiles->flow(grid->parentWidget()->width());
}

TileGrid::TileGrid(QGridLayout* grid) : QObject(grid->parentWidget()), grid_(grid), area_(grid->parentWidget()) {}

bool TileGrid::eventFilter(QObject* watched, QEvent* event) {
    if (!grid_) return false;
    if (watched == area_) {
        if (event->type() == QEvent::Resize) flow(static_cast<QResizeEvent*>(event)->size().width());
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    return moveFocus(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event)->key());
}

void TileGrid::flow(int width) {
    // Reading order, whatever the columns were.
    std::vector<QWidget*> tiles;
    for (int r = 0; r < grid_->rowCount(); ++r)
        for (int c = 0; c < grid_->columnCount(); ++c)
            if (QLayoutItem* item = grid_->itemAtPosition(r, c)) tiles.push_back(item->widget());
    const QMargins margins = grid_->contentsMargins();
    const int spacing = std::max(grid_->horizontalSpacing(), 0);
    const int room = width - margins.left() - margins.right() + spacing;
    const int columns = std::clamp(room / std::max(tileWidth_ + spacing, 1), 1, kMostColumns);
    const int oldColumns = grid_->columnCount();
    for (size_t i = 0; i < tiles.size(); ++i) {
        int row, column, rowSpan, columnSpan;
        grid_->getItemPosition(grid_->indexOf(tiles[i]), &row, &column, &rowSpan, &columnSpan);
        const int want = static_cast<int>(i);
        if (row == want / columns && column == want % columns) continue;
        grid_->removeWidget(tiles[i]);
        grid_->addWidget(tiles[i], want / columns, want % columns);
    }
    // Every column as wide as the widest tile needs, and the room left shared equally.
    for (int c = 0; c < std::max(oldColumns, columns); ++c) {
        grid_->setColumnMinimumWidth(c, c < columns ? tileWidth_ : 0);
        grid_->setColumnStretch(c, c < columns ? 1 : 0);
    }
}

QWidget* TileGrid::usableAt(int row, int column) const {
    QLayoutItem* item = grid_->itemAtPosition(row, column);
    QWidget* w = item ? item->widget() : nullptr;
    return w && w->isEnabled() && w->isVisible() ? w : nullptr;
}

TileGrid* TileGrid::beside(bool down) const {
    const QRect mine = grid_->geometry();
    TileGrid* nearest = nullptr;
    for (TileGrid* other : area_->findChildren<TileGrid*>(Qt::FindDirectChildrenOnly)) {
        if (other == this || !other->grid_) continue;
        const QRect theirs = other->grid_->geometry();
        if (down ? theirs.top() < mine.bottom() : theirs.bottom() > mine.top()) continue;
        const QRect best = nearest ? nearest->grid_->geometry() : QRect();
        if (!nearest || (down ? theirs.top() < best.top() : theirs.bottom() > best.bottom())) nearest = other;
    }
    return nearest;
}

void TileGrid::enter(bool fromTop, int column) {
    const int rows = grid_->rowCount();
    for (int i = 0; i < rows; ++i)
        for (int c = std::min(column, grid_->columnCount() - 1); c >= 0; --c)
            if (QWidget* tile = usableAt(fromTop ? i : rows - 1 - i, c)) {
                tile->setFocus(Qt::TabFocusReason);
                return;
            }
}

bool TileGrid::moveFocus(QWidget* tile, int key) {
    const int columns = grid_->columnCount(), cells = grid_->rowCount() * columns;
    auto usable = [this](int r, int c) { return usableAt(r, c); };
    if (key == Qt::Key_Home || key == Qt::Key_End) {
        // The first or last usable tile in reading order.
        const bool home = key == Qt::Key_Home;
        for (int i = home ? 0 : cells - 1; i >= 0 && i < cells; i += home ? 1 : -1)
            if (QWidget* next = usable(i / columns, i % columns)) {
                next->setFocus(Qt::TabFocusReason);
                break;
            }
        return true;
    }
    int dr = 0, dc = 0;
    switch (key) {
        case Qt::Key_Left: dc = -1; break;
        case Qt::Key_Right: dc = 1; break;
        case Qt::Key_Up: dr = -1; break;
        case Qt::Key_Down: dr = 1; break;
        default: return false;
    }
    int row, column, rowSpan, columnSpan;
    grid_->getItemPosition(grid_->indexOf(tile), &row, &column, &rowSpan, &columnSpan);
    // The nearest usable tile that way; past the last row the grid below (or above) is entered; at the area's
    // edge the focus stays.
    for (int r = row + dr, c = column + dc; r >= 0 && c >= 0 && r < grid_->rowCount() && c < columns; r += dr, c += dc)
        if (QWidget* next = usable(r, c)) {
            next->setFocus(Qt::TabFocusReason);
            return true;
        }
    if (dr != 0)
        if (TileGrid* next = beside(dr > 0)) next->enter(dr > 0, column);
    return true;
}
