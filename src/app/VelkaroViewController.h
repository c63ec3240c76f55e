#pragma once
#include <memory>
#include <vector>

#include "app/MenuController.h"
#include "app/VelkaroViewItem.h"
#include "platform/ui/TableView.h"

/// The phone menu: a table of eleven 64-point rows, alternate rows on light grey; then two more sections, the
/// bench tools and the board and RF tools, each headed by a lower row that names the group and takes no taps.
class VelkaroViewController : public MenuController, public TableViewDataSource, public TableViewDelegate {
public:
    explicit VelkaroViewController(std::string nibName = "VelkaroViewController");

    static constexpr int kMoreToolsSection = 1;
    static constexpr int kPcbToolsSection = 2;
    static constexpr float kHeadingHeight = 44.0f;

    TableView m_cTableData;

    const std::vector<VelkaroViewItem>& items() const { return _pItems; }

    int numberOfSectionsInTableView(TableView*) override { return 3; }
    int tableViewNumberOfRowsInSection(TableView*, int section) override;
    std::unique_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) override;
    float tableViewHeightForRowAtIndexPath(TableView*, IndexPath path) override;
    std::optional<IndexPath> tableViewWillSelectRowAtIndexPath(TableView* table, IndexPath path) override;
    void tableViewDidSelectRowAtIndexPath(TableView*, IndexPath path) override;

protected:
    void viewDidLoad() override;

private:
    /// The entry a row shows, or null for the group's heading and rows outside the table.
    const VelkaroViewItem* itemAt(IndexPath path) const;

    std::vector<VelkaroViewItem> _pItems;
    std::vector<VelkaroViewItem> _moreItems;  // the second section's entries, below its heading row
    std::vector<VelkaroViewItem> _pcbItems;   // the third section's, likewise
};
