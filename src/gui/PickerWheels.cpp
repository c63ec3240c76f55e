#include "gui/PickerWheels.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>

#include "gui/ColorConversion.h"
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
        QVariant bg = index.data(Qt::BackgroundRole);
        QColor fill = bg.isValid() ? bg.value<QBrush>().color() : QColor("#ffffff");
        p->setPen(QPen(QColor("#b0bec5"), 1));
        p->setBrush(fill);
        p->drawRoundedRect(tile, 5, 5);
        if (option.state & QStyle::State_Selected) {
            p->setPen(QPen(QColor("#1f6feb"), 3));
            p->setBrush(Qt::NoBrush);
            p->drawRoundedRect(tile.adjusted(-1.5, -1.5, 1.5, 1.5), 6, 6);
        }
        QVariant fg = index.data(Qt::ForegroundRole);
        p->setPen(fg.isValid() ? fg.value<QBrush>().color() : QColor("#1c2b33"));
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
        list->setStyleSheet(
            "QListWidget { border: 1px solid #9aa5b1; border-radius: 6px; background: #f7f9fb; }"
            "QListWidget:focus { border: 2px solid #1f6feb; }");
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
        if (row >= 0) list->scrollToItem(list->item(row), QAbstractItemView::PositionAtCenter);
    }
    updating_ = false;
}
