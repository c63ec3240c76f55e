#include "gui/ReturnKeyFilter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>

void ReturnKeyFilter::install() {
    static ReturnKeyFilter* filter = nullptr;
    if (filter) return;
    filter = new ReturnKeyFilter(qApp);
    qApp->installEventFilter(filter);
}

bool ReturnKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || !button->hasFocus() || !button->isEnabled() || qobject_cast<QDialog*>(button->window())) return false;
    button->animateClick();
    return true;
}
