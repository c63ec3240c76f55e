#include "gui/TileGridKeys.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QKeyEvent>

void TileGridKeys::attach(QGridLayout* grid) {
    if (grid->count() == 0 || !grid->parentWidget()) return;
    for (int i = 0; i < grid->count(); ++i)
        if (!qobject_cast<QAbstractButton*>(grid->itemAt(i)->widget())) return;
    auto* keys = new TileGridKeys(grid);
    for (int i = 0; i < grid->count(); ++i) grid->itemAt(i)->widget()->installEventFilter(keys);
}

TileGridKeys::TileGridKeys(QGridLayout* grid) : QObject(grid->parentWidget()), grid_(grid) {}

bool TileGridKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* button = static_cast<QAbstractButton*>(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        button->animateClick();
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
    grid_->getItemPosition(grid_->indexOf(button), &row, &column, &rowSpan, &columnSpan);
    // The nearest usable tile that way; at the edge the focus stays.
    for (int r = row + dr, c = column + dc; r >= 0 && c >= 0 && r < grid_->rowCount() && c < grid_->columnCount();
         r += dr, c += dc) {
        QLayoutItem* item = grid_->itemAtPosition(r, c);
        QWidget* next = item ? item->widget() : nullptr;
        if (next && next->isEnabled() && next->isVisible()) {
            next->setFocus(Qt::TabFocusReason);
            break;
        }
    }
    return true;
}
