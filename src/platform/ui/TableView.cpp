#include "platform/ui/TableView.h"

int TableView::numberOfSections() { return dataSource_ ? dataSource_->numberOfSectionsInTableView(this) : 0; }

int TableView::numberOfRowsInSection(int section) {
    if (!dataSource_ || section < 0 || section >= numberOfSections()) return 0;
    return dataSource_->tableViewNumberOfRowsInSection(this, section);
}

std::unique_ptr<TableViewCell> TableView::cellForRowAtIndexPath(IndexPath path) {
    if (!dataSource_ || path.row < 0 || path.row >= numberOfRowsInSection(path.section)) return nullptr;
    return dataSource_->tableViewCellForRowAtIndexPath(this, path);
}

float TableView::heightForRowAtIndexPath(IndexPath path) {
    return delegate_ ? delegate_->tableViewHeightForRowAtIndexPath(this, path) : 44.0f;
}

void TableView::reloadData() {
    lastDeleted_.clear();
    changed();
}

void TableView::deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths) {
    lastDeleted_ = paths;
    changed();
    lastDeleted_.clear();
}

void TableView::setEditing(bool editing) {
    editing_ = editing;
    changed();
}

void TableView::userTapRow(IndexPath path) {
    if (path.row < 0 || path.row >= numberOfRowsInSection(path.section)) return;
    if (auto cell = cellForRowAtIndexPath(path); cell && !cell->isEnabled()) return;
    std::optional<IndexPath> target = path;
    if (delegate_) target = delegate_->tableViewWillSelectRowAtIndexPath(this, path);
    selected_ = target;
    if (target && delegate_) delegate_->tableViewDidSelectRowAtIndexPath(this, *target);
}

void TableView::userDeleteRow(IndexPath path) {
    if (!editing_ || !dataSource_ || path.row < 0 || path.row >= numberOfRowsInSection(path.section)) return;
    dataSource_->tableViewCommitDeleteForRowAtIndexPath(this, path);
}
