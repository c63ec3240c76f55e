#include "gui/DatasheetList.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "datasheets/InfoDatasheetsView.h"
#include "library/LibraryDatabase.h"
#include "platform/ui/TableView.h"

namespace {

constexpr int kDetailRole = Qt::UserRole + 10;

// The detail line as rich text: escaped, with the index's hit marks turned into bold.
QString detailHtml(const QString& detail) {
    QString html = detail.toHtmlEscaped();
    html.replace(QChar(SearchHit::kHitStart), "<b>").replace(QChar(SearchHit::kHitEnd), "</b>");
    return html;
}

// Draws the name and, under it, the detail line in the palette's secondary text colour; edits only the name.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString detail = index.data(kDetailRole).toString();
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const QRect r = opt.rect.adjusted(10, 4, -10, -4);
        const bool selected = opt.state & QStyle::State_Selected;
        const QPalette& pal = opt.palette;
        painter->save();
        painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QFontMetrics fm(opt.font);
        painter->drawText(QRect(r.left(), r.top(), r.width(), fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          fm.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, r.width()));
        if (!detail.isEmpty()) {
            QTextDocument doc;
            QFont small = opt.font;
            small.setPointSizeF(small.pointSizeF() * 0.9);
            doc.setDefaultFont(small);
            doc.setTextWidth(r.width());
            doc.setDocumentMargin(0);
            doc.setHtml(detailHtml(detail));
            QAbstractTextDocumentLayout::PaintContext ctx;
            QColor secondary = pal.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText);
            ctx.palette.setColor(QPalette::Text, secondary);
            // Whole lines only: a longer snippet ends at its last whole line instead of the top of the next.
            const qreal lineHeight = QFontMetricsF(small).lineSpacing();
            const qreal room = r.height() - fm.height() - 2;
            ctx.clip = QRectF(0, 0, r.width(), std::max(lineHeight, std::floor(room / lineHeight) * lineHeight));
            painter->translate(r.left(), r.top() + fm.height() + 2);
            painter->setClipRect(ctx.clip);
            doc.documentLayout()->draw(painter, ctx);
        }
        painter->restore();
    }

    // The name is edited with its stem selected, so typing keeps the extension. The view selects the whole
    // text once the editor is set up: the stem is selected after that.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        QStyledItemDelegate::setEditorData(editor, index);
        QPointer<QLineEdit> field = qobject_cast<QLineEdit*>(editor);
        QTimer::singleShot(0, editor, [field] {
            if (!field) return;
            const qsizetype dot = field->text().lastIndexOf('.');
            field->setSelection(0, dot > 0 ? dot : field->text().size());
        });
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QFontMetrics fm(option.font);
        const QString detail = index.data(kDetailRole).toString();
        // Snippets may wrap onto a second line; sizes and dates never do.
        int lines = detail.isEmpty() ? 0 : detail.contains(QChar(SearchHit::kHitStart)) ? 2 : 1;
        return QSize(0, fm.height() * (1 + lines) + 12);
    }
};

}  // namespace

DatasheetList::DatasheetList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new RowDelegate(this));
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setUniformItemSizes(false);
    setWordWrap(true);
    auto activate = [this](QListWidgetItem* item) {
        if (table_ && item) table_->userTapRow(IndexPath{0, row(item)});
    };
    connect(this, &QListWidget::itemClicked, this, activate);
    connect(this, &QListWidget::itemActivated, this, activate);
    connect(this, &QListWidget::itemSelectionChanged, this, &DatasheetList::updateButtons);
    connect(this, &QListWidget::currentItemChanged, this, &DatasheetList::updateButtons);
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (fillAfterEdit_) fill();
        });
    });
    // An edited name goes to the store; the list is then read again, so a refused name springs back.
    connect(itemDelegate(), &QAbstractItemDelegate::commitData, this, [this](QWidget* editor) {
        auto* field = qobject_cast<QLineEdit*>(editor);
        QListWidgetItem* item = currentItem();
        if (!field || !item || !screen_) return;
        const std::string from = item->data(Qt::UserRole).toString().toStdString();
        const std::string to = field->text().trimmed().toStdString();
        QMetaObject::invokeMethod(
            this,
            [this, from, to] {
                renamedTo_ = QString::fromStdString(to);
                screen_->renameEntry(from, to);
                renamedTo_.clear();
            },
            Qt::QueuedConnection);
    });
}

void DatasheetList::bind(TableView* table) {
    table_ = table;
    screen_ = dynamic_cast<InfoDatasheetsView*>(table->dataSource());
    QPointer<DatasheetList> self(this);
    table_->setChangeObserver([self] {
        if (self) self->fill();
    });
    attachButtons();
    fill();
}

void DatasheetList::attachButtons() {
    // The nearest surroundings that hold the buttons: the screen this list is part of.
    for (QWidget* around = parentWidget(); around && !renameButton_; around = around->parentWidget()) {
        renameButton_ = around->findChild<QAbstractButton*>("renameButton");
        deleteButton_ = around->findChild<QAbstractButton*>("deleteButton");
    }
    if (renameButton_) connect(renameButton_, &QAbstractButton::clicked, this, &DatasheetList::renameCurrent);
    if (deleteButton_) connect(deleteButton_, &QAbstractButton::clicked, this, &DatasheetList::deleteCurrent);
    updateButtons();
}

void DatasheetList::updateButtons() {
    const bool selected = !currentName().isEmpty();
    for (QAbstractButton* b : {renameButton_.data(), deleteButton_.data()})
        if (b) b->setEnabled(selected);
}

void DatasheetList::fill() {
    // Rows read again under a name being edited (the index finished meanwhile) would close the editor and lose
    // what was typed: they are read once the edit ends.
    if (state() == EditingState) {
        fillAfterEdit_ = true;
        return;
    }
    fillAfterEdit_ = false;
    QString current = currentItem() ? currentItem()->data(Qt::UserRole).toString() : QString();
    const int currentRow = currentItem() ? row(currentItem()) : -1;
    const bool wasSelected = currentItem() && currentItem()->isSelected();
    if (!renamedTo_.isEmpty()) current = renamedTo_;
    clear();
    const bool searching = screen_ && screen_->isSearching();
    const int rows = table_->numberOfRowsInSection(0);
    for (int r = 0; r < rows; ++r) {
        auto cell = table_->cellForRowAtIndexPath(IndexPath{0, r});
        auto* item = new QListWidgetItem(QString::fromStdString(cell->textLabel().text()), this);
        const QString detail = QString::fromStdString(cell->detailTextLabel().text());
        item->setData(kDetailRole, detail);
        item->setData(Qt::UserRole, item->text());  // the name before an edit
        item->setData(Qt::AccessibleDescriptionRole, QString(detail).remove(QChar(SearchHit::kHitStart))
                                                         .remove(QChar(SearchHit::kHitEnd)));
        item->setToolTip(item->text());
        if (!searching) item->setFlags(item->flags() | Qt::ItemIsEditable);
        if (item->text() == current) setCurrentItem(item);
    }
    // The current row gone (deleted, or moved away by another program): its neighbour takes its place, so the
    // keyboard goes on where it was.
    if (!currentItem() && currentRow >= 0 && count() > 0 && !searching && !showedResults_) {
        setCurrentRow(std::min(currentRow, count() - 1));
        currentItem()->setSelected(wasSelected);
    }
    showedResults_ = searching;
    updateButtons();
}

QString DatasheetList::currentName() const {
    // The current row of a list that just gained the focus need not be selected: only a row the user sees
    // marked is acted on.
    if (!screen_ || screen_->isSearching() || !currentItem() || !currentItem()->isSelected()) return {};
    return currentItem()->data(Qt::UserRole).toString();
}

void DatasheetList::renameCurrent() {
    if (currentName().isEmpty()) return;
    setFocus();  // from the button: the name is edited in the list
    editItem(currentItem());
}

void DatasheetList::deleteCurrent() {
    if (QString name = currentName(); !name.isEmpty()) screen_->deleteEntry(name.toStdString());
}

void DatasheetList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && state() != EditingState) return deleteCurrent();
    QListWidget::keyPressEvent(event);
}

void DatasheetList::contextMenuEvent(QContextMenuEvent* event) {
    if (currentName().isEmpty()) return;
    QMenu menu(this);
    menu.addAction(tr("Open"), this, [this] { emit itemActivated(currentItem()); });
    menu.addAction(tr("Rename"), QKeySequence(Qt::Key_F2), this, &DatasheetList::renameCurrent);
    menu.addAction(tr("Delete…"), QKeySequence::Delete, this, &DatasheetList::deleteCurrent);
    menu.exec(event->globalPos());
}

void DatasheetList::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void DatasheetList::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void DatasheetList::dropEvent(QDropEvent* event) {
    if (!screen_ || !event->mimeData()->hasUrls()) return;
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    event->setDropAction(Qt::CopyAction);  // copied in, never moved: the source stays where it was
    event->accept();
    screen_->importFiles(paths);
}
