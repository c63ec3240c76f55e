#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "datasheets/DatasheetStore.h"
#include "platform/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextChangeSubscription.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

class LibraryDatabase;
class LibraryIndexer;
struct SearchHit;

/// Datasheets storage: every entry of the documents folder as a table row, by name (or as stored, by size or
/// date, as the user chose last), with its size and date and the count line "Files: %d". A row
/// opens the document viewer, FTP opens the transfer screen, refresh reads the folder again. Typing in the search
/// field lists the pages that mention the words instead, grouped by document (the first results' snippets at
/// once, the others a turn of the loop later, so a keystroke waits only for what the first screen shows); a
/// result opens the viewer at its page. The store's full-text index is brought up to date in the background
/// while the screen is open.
class InfoDatasheetsView : public ViewController,
                           public TableViewDataSource,
                           public TableViewDelegate,
                           public AlertViewDelegate {
public:
    explicit InfoDatasheetsView(std::string nibName = "InfoDatasheetsView");
    ~InfoDatasheetsView() override;

    TableView m_cTableData;
    Label m_cFilesInfo;
    TextField m_cSearchField;
    /// "Indexing 37 of 412" while the index is read; hidden otherwise.
    Label m_cIndexInfo;
    /// Shows the order of the rows; tapping it turns to the next order.
    Button m_cOrderButton;
    /// What went wrong with the last import, delete or rename, or the empty store's hint; hidden when empty.
    Label m_cMessage;

    /// Reads the folder into the list and writes the count line; the table is not reloaded.
    void updateFilesList();
    /// The names shown, in row order (without a search).
    const std::vector<std::string>& filesList() const { return _filesList; }

    void onButtonRefresh();
    /// Opens the transfer screen over the list.
    void onButtonFTP();
    /// Turns to the next order (as stored, name, size, date) and remembers it.
    void onButtonOrder();
    DatasheetStore::Order order() const { return order_; }

    /// Asks the chooser (see `setImportChooser`) for files and copies them in.
    void onButtonImport();
    /// Copies files into the store (dropped on the list or chosen); the list and the index follow.
    void importFiles(const std::vector<std::string>& paths);
    /// Asks for confirmation naming the entry, then moves it to the trash.
    void deleteEntry(const std::string& name);
    /// Renames an entry in place; false, with the reason in `m_cMessage`, when it cannot.
    bool renameEntry(const std::string& from, const std::string& to);
    /// The file chooser of the front-end: returns the paths the user picked (none when cancelled).
    static void setImportChooser(std::function<std::vector<std::string>()> chooser);

    /// One row of the search results: a document's heading (`page` < 0) or one of its pages.
    struct ResultRow {
        std::string path;
        int page = -1;
        std::string snippet;  ///< hits between SearchHit::kHitStart and kHitEnd
    };
    bool isSearching() const { return !results_.empty() || !m_cSearchField.text().empty(); }
    const std::vector<ResultRow>& resultRows() const { return results_; }
    /// The index, for tests and the command line's own use; null when it could not be opened.
    LibraryIndexer* indexer() const { return indexer_.get(); }

    int numberOfSectionsInTableView(TableView*) override { return 1; }
    int tableViewNumberOfRowsInSection(TableView*, int section) override;
    std::unique_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) override;
    void tableViewDidSelectRowAtIndexPath(TableView*, IndexPath path) override;
    void alertViewClickedButtonAtIndex(AlertView* alert, int index) override;

protected:
    void viewDidLoad() override;

private:
    void search();
    /// `results_` from `hits_`: each document's heading, then its pages, the documents in the order of their best.
    void groupResults();
    void showMessage(const std::string& text);
    void storeChanged();
    void openViewer(const std::string& name, int page);
    void updateOrderTitle();
    void readStatuses();

    std::vector<std::string> _filesList;
    std::vector<DatasheetStore::Entry> entries_;  // _filesList's entries with their size and date
    std::vector<SearchHit> hits_;
    std::string expression_;  // what hits_ were found for
    RunLoop::Handle snippetFill_ = 0;
    std::vector<ResultRow> results_;
    std::map<std::string, int> statuses_;  // each indexed document's TextStatus
    TextChangeSubscription searchEdits_;
    DatasheetStore::Order order_ = DatasheetStore::Order::Name;
    std::string pendingDelete_;
    std::string unreadableText_;  // the message shown while the folder cannot be read
    std::unique_ptr<LibraryDatabase> db_;
    std::unique_ptr<LibraryIndexer> indexer_;
};
