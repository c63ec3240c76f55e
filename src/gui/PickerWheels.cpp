#include "gui/PickerWheels.h"

#include <QHBoxLayout>
#include <QPointer>

#include "gui/ColorConversion.h"
#include "platform/ui/PickerView.h"

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
        list->setStyleSheet(
            "QListWidget { border: 1px solid #9aa5b1; border-radius: 6px; background: #f7f9fb; }"
            "QListWidget::item { margin: 2px 3px; border-radius: 4px; min-height: 30px; }"
            "QListWidget::item:selected { border: 3px solid #1f6feb; }"
            "QListWidget:focus { border: 2px solid #1f6feb; }");
        const int rows = model_->numberOfRowsInComponent(c);
        for (int r = 0; r < rows; ++r) {
            auto* item = new QListWidgetItem(list);
            item->setTextAlignment(Qt::AlignCenter);
            item->setSizeHint(QSize(40, 34));
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
