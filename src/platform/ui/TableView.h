#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewVisitor.h"

class TableView;

struct IndexPath {
    int section = 0;
    int row = 0;
    bool operator==(const IndexPath&) const = default;
};

/// One row's cell: a title, an optional detail line and icon, and the background of its content view.
/// Cells drawn from an interface file of their own subclass it, name that file and register their parts as
/// outlets, which the front-end binds as it binds a screen's.
class TableViewCell : public View {
public:
    explicit TableViewCell(std::string reuseIdentifier = "", std::string nibName = "")
        : reuseIdentifier_(std::move(reuseIdentifier)), nibName_(std::move(nibName)) {}
    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    /// The cell's interface file, or empty for the standard title/detail/icon cell.
    const std::string& nibName() const { return nibName_; }
    const std::vector<std::pair<std::string, View*>>& outlets() const { return outlets_; }
    /// Rows shown disabled do nothing when tapped.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    Label& textLabel() { return textLabel_; }
    Label& detailTextLabel() { return detailTextLabel_; }
    ImageView& imageView() { return imageView_; }
    /// The content view's background (rows on alternate colours).
    const std::optional<Color>& contentBackgroundColor() const { return contentBackground_; }
    void setContentBackgroundColor(std::optional<Color> c) { contentBackground_ = c; }

protected:
    void registerOutlet(const std::string& name, View& view) { outlets_.emplace_back(name, &view); }

private:
    std::string reuseIdentifier_, nibName_;
    std::vector<std::pair<std::string, View*>> outlets_;
    bool enabled_ = true;
    Label textLabel_, detailTextLabel_;
    ImageView imageView_;
    std::optional<Color> contentBackground_;
};

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSectionsInTableView(TableView*) { return 1; }
    virtual int tableViewNumberOfRowsInSection(TableView* table, int section) = 0;
    virtual std::unique_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) = 0;
    /// The user confirmed deleting a row in editing mode.
    virtual void tableViewCommitDeleteForRowAtIndexPath(TableView*, IndexPath) {}
};

class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;
    virtual float tableViewHeightForRowAtIndexPath(TableView*, IndexPath) { return 44.0f; }
    /// The row about to be selected, another one, or nothing to refuse the selection.
    virtual std::optional<IndexPath> tableViewWillSelectRowAtIndexPath(TableView*, IndexPath path) { return path; }
    virtual void tableViewDidSelectRowAtIndexPath(TableView*, IndexPath) {}
};

/// A list of rows in sections. The front-end asks for cells and reports taps and deletions.
class TableView : public View {
public:
    void accept(ViewVisitor& visitor) override { visitor.visit(*this); }
    void setDataSource(TableViewDataSource* ds) { dataSource_ = ds; }
    TableViewDataSource* dataSource() const { return dataSource_; }
    void setDelegate(TableViewDelegate* d) { delegate_ = d; }

    int numberOfSections();
    int numberOfRowsInSection(int section);
    std::unique_ptr<TableViewCell> cellForRowAtIndexPath(IndexPath path);
    float heightForRowAtIndexPath(IndexPath path);
    /// Reusable cells are not kept: every row gets a new cell, which the data source then makes.
    std::unique_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string&) { return nullptr; }

    /// Tells the front-end to ask for every row again.
    void reloadData();
    /// Tells the front-end that these rows were removed (animated with a fade where it can).
    void deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths);
    const std::vector<IndexPath>& lastDeletedRows() const { return lastDeleted_; }

    bool isEditing() const { return editing_; }
    void setEditing(bool editing);
    /// Whether a header view is set above the rows.
    bool hasTableHeaderView() const { return hasHeader_; }
    void setHasTableHeaderView(bool has) { hasHeader_ = has; }

    /// The row the user selected last (nothing before any selection or after it was refused).
    std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }
    /// The user tapped a row: asks `willSelect`, then reports `didSelect` for the row it answered.
    void userTapRow(IndexPath path);
    /// The user deleted a row in editing mode.
    void userDeleteRow(IndexPath path);

private:
    TableViewDataSource* dataSource_ = nullptr;
    TableViewDelegate* delegate_ = nullptr;
    bool editing_ = false;
    bool hasHeader_ = false;
    std::optional<IndexPath> selected_;
    std::vector<IndexPath> lastDeleted_;
};
