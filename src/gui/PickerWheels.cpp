#include "gui/PickerWheels.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>

#include "gui/ColorConversion.h"
#include "gui/Theme.h"
#include "platform/ui/PickerView.h"

namespace {

// Draws a row as its swatch (or title) on a rounded tile; the selected row gets a thick frame, like the band
// under a wheel's selection bar.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        QRectF tile = QRectF(option.rect).adjusted(4, 3, -4, -3);
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
        p->drawText(tile, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
        p->restore();
    }
};

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
        auto* list = new QListWidget(this);
        list->setObjectName(QStringLiteral("wheel%1").arg(c));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setMinimumWidth(44);
        list->setItemDelegate(new RowDelegate(list));
        const int rows = model_->numberOfRowsInComponent(c);
        for (int r = 0; r < rows; ++r) {
            auto* item = new QListWidgetItem(list);
            item->setTextAlignment(Qt::AlignCenter);
            item->setSizeHint(QSize(40, 38));
            if (auto view = model_->viewForRow(r, c)) {
                item->setText(QString::fromStdString(view->text()));
                if (view->backgroundColor()) {
                    QColor color = toQColor(*view->backgroundColor());
                    item->setBackground(color);
                    item->setForeground(color.lightnessF() < 0.5 ? Qt::white : Qt::black);
                }
            } else if (auto title = model_->titleForRow(r, c)) {
                item->setText(QString::fromStdString(*title));
            }
        }
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::currentRowChanged, this, [this, c](int row) {
            if (updating_ || !model_ || row < 0) return;
            model_->userSelectRow(row, c);
        });
        layout()->addWidget(list);
        wheels_.push_back(list);
    }
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

bool PickerWheels::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        pointerDown_ = true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        pointerDown_ = false;
        // The wheel turns the chosen row to the middle once the list has handled the release.
        QMetaObject::invokeMethod(this, &PickerWheels::syncSelection, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}
