#include "gui/PickerWheels.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

#include "gui/ColorConversion.h"
#include "gui/Theme.h"
#include "platform/ui/PickerView.h"

namespace {

constexpr int kRowHeight = 38;

// Draws a row as its swatch (or title) on a rounded tile; the selected row gets a thick frame, like the band
// under a wheel's selection bar.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        // Tiles keep 4 pixels apart, less where a narrow row of choices needs the room for its text.
        const QString text = index.data(Qt::DisplayRole).toString();
        const qreal room = (option.rect.width() - option.fontMetrics.horizontalAdvance(text) - 6) / 2.0;
        const qreal gap = std::clamp(room, 1.0, 4.0);
        QRectF tile = QRectF(option.rect).adjusted(gap, 3, -gap, -3);
        // Swatch rows bring both of their colours; plain rows take the palette's.
        QVariant bg = index.data(Qt::BackgroundRole);
        QColor fill = bg.isValid() ? bg.value<QBrush>().color() : option.palette.color(QPalette::Base);
        p->setPen(QPen(Theme::mix(option.palette.color(QPalette::Base), option.palette.color(QPalette::Text), 0.3f), 1));
        p->setBrush(fill);
        p->drawRoundedRect(tile, 5, 5);
        if (option.state & QStyle::State_Selected) {
            p->setPen(QPen(option.palette.color(QPalette::Highlight), 3));
            p->setBrush(Qt::NoBrush);
            p->drawRoundedRect(tile.adjusted(-1.5, -1.5, 1.5, 1.5), 6, 6);
        }
        QVariant fg = index.data(Qt::ForegroundRole);
        p->setPen(fg.isValid() ? fg.value<QBrush>().color() : option.palette.color(QPalette::Text));
        p->drawText(tile, Qt::AlignCenter, text);
        p->restore();
    }
};

// A wheel turns to the row whose name starts with what is typed: a colour's first letters ("bl" Black, "blu"
// Blue), a code's digits. Typing one letter again steps through the rows that start with it.
class Wheel : public QListWidget {
public:
    using QListWidget::QListWidget;

    void keyboardSearch(const QString& typed) override {
        const bool fresh = !sinceLast_.isValid() || sinceLast_.elapsed() > QApplication::keyboardInputInterval();
        sinceLast_.start();
        typed_ = fresh ? typed : typed_ + typed;
        const bool again = typed_.size() > 1 && typed_.count(typed_.front()) == typed_.size();
        const QString wanted = again ? typed_.left(1) : typed_;
        const int n = count();
        const int from = std::max(currentRow(), 0) + (again ? 1 : 0);
        for (int i = 0; i < n; ++i) {
            const int row = (from + i) % n;
            if (nameOf(item(row)).startsWith(wanted, Qt::CaseInsensitive)) {
                setCurrentRow(row);
                return;
            }
        }
    }

    // What a screen reader says for the row: its colour's name, else its text.
    static QString nameOf(const QListWidgetItem* item) {
        const QString name = item->data(Qt::AccessibleTextRole).toString();
        return name.isEmpty() ? item->text() : name;
    }

private:
    QElapsedTimer sinceLast_;
    QString typed_;
};

// The wheel's header label in the page ("1st digit", "Multiplier"), the nearest one above the wheels.
QString headerOf(const QWidget* wheels, int component) {
    const QString name = QStringLiteral("band%1").arg(component + 1);
    for (const QWidget* p = wheels->parentWidget(); p; p = p->parentWidget())
        if (auto* label = p->findChild<QLabel*>(name)) return label->text();
    return {};
}

}  // namespace

PickerWheels::PickerWheels(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
}

QListWidget* PickerWheels::wheel(int c) const {
    return c >= 0 && c < wheelCount() ? wheels_[static_cast<size_t>(c)] : nullptr;
}

void PickerWheels::bind(PickerView* model) {
    if (model_) model_->setChangeObserver(nullptr);
    model_ = model;
    rebuild();
    if (!model_) return;
    QPointer<PickerWheels> self(this);
    model_->setChangeObserver([self] {
        if (self) self->syncSelection();
    });
}

void PickerWheels::rebuild() {
    for (QListWidget* w : wheels_) delete w;
    wheels_.clear();
    if (!model_) return;
    const int components = model_->numberOfComponents();
    for (int c = 0; c < components; ++c) {
        auto* list = new Wheel(this);
        list->setObjectName(QStringLiteral("wheel%1").arg(c));
        const QString header = headerOf(this, c);
        list->setAccessibleName(header.isEmpty() ? tr("Wheel %1 of %2").arg(c + 1).arg(components) : header);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setMinimumWidth(44);
        list->setItemDelegate(new RowDelegate(list));
        if (property("across").toBool()) {
            list->setFlow(QListView::LeftToRight);
            list->setWrapping(false);
            list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            list->setFixedHeight(kRowHeight + 2 * list->frameWidth() + 2);
        }
        const int rows = model_->numberOfRowsInComponent(c);
        for (int r = 0; r < rows; ++r) {
            auto* item = new QListWidgetItem(list);
            item->setTextAlignment(Qt::AlignCenter);
            item->setSizeHint(QSize(40, kRowHeight));
            if (auto view = model_->viewForRow(r, c)) {
                item->setText(QString::fromStdString(view->text()));
                if (const QString name = QString::fromStdString(view->accessibilityLabel()); !name.isEmpty()) {
                    item->setData(Qt::AccessibleTextRole, name);
                    item->setToolTip(name);
                }
                if (view->backgroundColor()) {
                    QColor color = toQColor(*view->backgroundColor());
                    item->setBackground(color);
                    item->setForeground(color.lightnessF() < 0.5 ? Qt::white : Qt::black);
                }
            } else if (auto title = model_->titleForRow(r, c)) {
                item->setText(QString::fromStdString(*title));
            }
            // A blank row (no tolerance letter) still needs words for a screen reader.
            if (item->text().trimmed().isEmpty() && item->data(Qt::AccessibleTextRole).isNull())
                item->setData(Qt::AccessibleTextRole, tr("none"));
        }
        if (property("across").toBool()) fitAcross(list);
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::currentRowChanged, this, [this, c](int row) {
            if (updating_ || !model_ || row < 0) return;
            model_->userSelectRow(row, c);
        });
        layout()->addWidget(list);
        wheels_.push_back(list);
    }
    // Made after the page, the wheels would come last in the Tab order: they take the picker's place instead,
    // after the nearest control before it.
    QWidget* previous = previousInFocusChain();
    while (previous && previous != this && (previous->focusPolicy() & Qt::TabFocus) == 0)
        previous = previous->previousInFocusChain();
    if (previous && previous != this && !isAncestorOf(previous))
        for (QListWidget* list : wheels_) QWidget::setTabOrder(std::exchange(previous, list), list);
    syncSelection();
}

void PickerWheels::syncSelection() {
    if (!model_) return;
    if (model_->numberOfComponents() != wheelCount()) {
        rebuild();
        return;
    }
    updating_ = true;
    for (int c = 0; c < wheelCount(); ++c) {
        int row = model_->selectedRowInComponent(c);
        QListWidget* list = wheels_[static_cast<size_t>(c)];
        if (list->count() != model_->numberOfRowsInComponent(c)) {
            updating_ = false;
            rebuild();
            return;
        }
        if (list->currentRow() != row) list->setCurrentRow(row);
        // Not under a pressed pointer: the list would move while the click is still going on, and the release
        // would land on (and select) another row.
        if (row >= 0 && !pointerDown_) list->scrollToItem(list->item(row), QAbstractItemView::PositionAtCenter);
    }
    updating_ = false;
}

void PickerWheels::fitAcross(QListWidget* list) {
    if (list->count() == 0) return;
    const int width = std::max(list->viewport()->width() / list->count(), 36);
    for (int r = 0; r < list->count(); ++r) list->item(r)->setSizeHint(QSize(width, kRowHeight));
}

bool PickerWheels::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && property("across").toBool()) {
        if (auto* list = qobject_cast<QListWidget*>(watched->parent())) fitAcross(list);
    } else if (event->type() == QEvent::MouseButtonPress) {
        pointerDown_ = true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        pointerDown_ = false;
        // The wheel turns the chosen row to the middle once the list has handled the release.
        QMetaObject::invokeMethod(this, &PickerWheels::syncSelection, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}
