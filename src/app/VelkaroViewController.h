#pragma once
#include <memory>
#include <vector>

#include "app/MenuController.h"
#include "app/VelkaroViewItem.h"
#include "platform/ui/TableView.h"

/// The phone menu: a table of eleven 64-point rows, alternate rows on light grey.
class VelkaroViewController : public MenuController, public TableViewDataSource, public TableViewDelegate {
public:
    explicit VelkaroViewController(std::string nibName = "VelkaroViewController");

    TableView m_cTableData;

    const std::vector<VelkaroViewItem>& items() const { return _pItems; }

    int tableViewNumberOfRowsInSection(TableView*, int section) override;
    std::unique_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) override;
    float tableViewHeightForRowAtIndexPath(TableView*, IndexPath) override { return 64.0f; }
    std::optional<IndexPath> tableViewWillSelectRowAtIndexPath(TableView* table, IndexPath path) override;
    void tableViewDidSelectRowAtIndexPath(TableView*, IndexPath path) override;

protected:
    void viewDidLoad() override;

private:
    std::vector<VelkaroViewItem> _pItems;
};
