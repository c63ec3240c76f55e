#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

/// Datasheets storage: every entry of the documents folder as a table row, in the file system's order, with the
/// count line "Files: %d". A row opens the document viewer, FTP opens the transfer screen, refresh reads the
/// folder again.
class InfoDatasheetsView : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    explicit InfoDatasheetsView(std::string nibName = "InfoDatasheetsView");

    TableView m_cTableData;
    Label m_cFilesInfo;

    /// Reads the folder into the list and writes the count line; the table is not reloaded.
    void updateFilesList();
    /// The names shown, in row order.
    const std::vector<std::string>& filesList() const { return _filesList; }

    void onButtonRefresh();
    /// Opens the transfer screen over the list.
    void onButtonFTP();

    int numberOfSectionsInTableView(TableView*) override { return 1; }
    int tableViewNumberOfRowsInSection(TableView*, int section) override;
    std::unique_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) override;
    void tableViewDidSelectRowAtIndexPath(TableView*, IndexPath path) override;

protected:
    void viewDidLoad() override;

private:
    std::vector<std::string> _filesList;
};
