#include "datasheets/InfoDatasheetsView.h"

#include <ctime>

#include "datasheets/DocumentsFolder.h"
#include "ftp/AtomicUpload.h"
#include "datasheets/InfoDatasheetOpen.h"
#include "datasheets/InfoDatasheetsFTP.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryIndexer.h"
#include "library/SearchQuery.h"
#include "platform/Log.h"
#include "platform/Utils.h"

namespace {

constexpr const char* kOrderKey = "datasheetsOrder";
constexpr const char* kEmptyHint = "Drop datasheets here, or share this folder from the transfer screen";
constexpr int kResultLimit = 200;
constexpr size_t kSnippetsAtOnce = 30;  // more than a tall window shows before it is scrolled

std::function<std::vector<std::string>()>& importChooser() {
    static std::function<std::vector<std::string>()> chooser;
    return chooser;
}

std::string dateText(std::int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

}  // namespace

InfoDatasheetsView::InfoDatasheetsView(std::string nibName) : ViewController(std::move(nibName)) {
    m_cTableData.setDataSource(this);
    m_cTableData.setDelegate(this);
    m_cIndexInfo.setHidden(true);
    m_cMessage.setHidden(true);
    m_cSearchField.setPlaceholder("Search datasheets");
    registerOutlet("m_cTableData", m_cTableData);
    registerOutlet("m_cFilesInfo", m_cFilesInfo);
    registerOutlet("m_cSearchField", m_cSearchField);
    registerOutlet("m_cIndexInfo", m_cIndexInfo);
    registerOutlet("m_cOrderButton", m_cOrderButton);
    registerOutlet("m_cMessage", m_cMessage);
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
    registerAction("onButtonRefresh", [this] { onButtonRefresh(); });
    registerAction("onButtonFTP", [this] { onButtonFTP(); });
    registerAction("onButtonOrder", [this] { onButtonOrder(); });
    registerAction("onButtonImport", [this] { onButtonImport(); });
    searchEdits_.observe({&m_cSearchField}, [this] {
        search();
        m_cTableData.reloadData();
    });
}

InfoDatasheetsView::~InfoDatasheetsView() { RunLoop::main().cancel(snippetFill_); }

void InfoDatasheetsView::setImportChooser(std::function<std::vector<std::string>()> chooser) {
    importChooser() = std::move(chooser);
}

void InfoDatasheetsView::viewDidLoad() {
    // By name until the user chooses another order.
    int saved = Utils::getIntParam(kOrderKey, static_cast<int>(DatasheetStore::Order::Name));
    order_ = saved >= 0 && saved <= 3 ? static_cast<DatasheetStore::Order>(saved) : DatasheetStore::Order::Name;
    updateOrderTitle();
    _filesList.clear();
    updateFilesList();  // the table's first load, when it is shown, then asks for the rows

    const std::string folder = DocumentsFolder::path();
    db_ = std::make_unique<LibraryDatabase>(LibraryDatabase::defaultPathFor(folder));
    if (!db_->isOpen()) return;
    indexer_ = std::make_unique<LibraryIndexer>(*db_, folder);
    indexer_->setProgressHandler([this](const LibraryIndexer::Progress& p) {
        m_cIndexInfo.setText(format("Indexing %d of %d", p.done, p.total));
        m_cIndexInfo.setHidden(!p.running);
        if (p.running) return;
        readStatuses();
        if (isSearching()) search();  // results found in what was just read
        m_cTableData.reloadData();
    });
    readStatuses();
    indexer_->watchFolder();
    indexer_->refresh();
}

void InfoDatasheetsView::updateFilesList() {
    const std::string folder = DocumentsFolder::path();
    _filesList.clear();
    std::string unreadable;
    for (auto& name : DocumentsFolder::contentsOfDirectoryAtPath(folder, &unreadable))
        if (!AtomicUpload::isTemporaryName(name)) _filesList.push_back(std::move(name));  // an upload under way
    m_cFilesInfo.setText(format("Files: %d", static_cast<int>(_filesList.size())));
    entries_ = DatasheetStore::describe(folder, _filesList);
    DatasheetStore::sort(entries_, order_);
    // A folder that cannot be read is not an empty store: the reason is shown, with the folder, instead of the hint.
    const bool mine = m_cMessage.text() == kEmptyHint || m_cMessage.text() == unreadableText_;
    unreadableText_ = unreadable.empty() ? std::string()
                                         : format("The documents folder %@ cannot be read: %@.", folder, unreadable);
    if (!unreadableText_.empty()) showMessage(unreadableText_);
    else if (_filesList.empty()) showMessage(kEmptyHint);
    else if (mine) showMessage("");
}

void InfoDatasheetsView::readStatuses() {
    statuses_.clear();
    if (db_)
        for (const auto& [path, doc] : db_->documents()) statuses_[path] = static_cast<int>(doc.status);
}

void InfoDatasheetsView::onButtonRefresh() {
    updateFilesList();
    if (indexer_) indexer_->refresh();
    m_cTableData.reloadData();
}

void InfoDatasheetsView::onButtonFTP() {
    auto transfer = std::make_unique<InfoDatasheetsFTP>("InfoDatasheetsFTP");
    // Files may have arrived while it was open. The completion runs once the transfer screen is gone, and never
    // after this screen is: destroying a screen withdraws its pending dismissal.
    transfer->setDismissCompletion([this] { onButtonRefresh(); });
    presentViewController(std::move(transfer), true);
}

void InfoDatasheetsView::updateOrderTitle() {
    static const char* const titles[] = {"Order: as stored", "Order: name", "Order: size", "Order: date"};
    m_cOrderButton.setTitle(titles[static_cast<int>(order_)]);
}

void InfoDatasheetsView::onButtonOrder() {
    order_ = static_cast<DatasheetStore::Order>((static_cast<int>(order_) + 1) % 4);
    Utils::saveIntParam(static_cast<int>(order_), kOrderKey);
    updateOrderTitle();
    onButtonRefresh();
}

void InfoDatasheetsView::showMessage(const std::string& text) {
    m_cMessage.setText(text);
    m_cMessage.setHidden(text.empty());
}

void InfoDatasheetsView::storeChanged() {
    updateFilesList();
    if (indexer_) indexer_->refresh();
    if (isSearching()) search();
    m_cTableData.reloadData();
}

void InfoDatasheetsView::onButtonImport() {
    if (importChooser()) importFiles(importChooser()());
}

void InfoDatasheetsView::importFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    const std::string folder = DocumentsFolder::path();
    std::string errors;
    for (const auto& path : paths) {
        std::string error;
        if (DatasheetStore::importFile(folder, path, &error).empty()) errors += (errors.empty() ? "" : " ") + error;
    }
    storeChanged();
    showMessage(errors);
}

void InfoDatasheetsView::deleteEntry(const std::string& name) {
    pendingDelete_ = name;
    auto alert = std::make_shared<AlertView>(
        format("Delete \"%@\"?", name),
        DatasheetStore::hasTrash() ? std::string("It goes to the trash, from where it can be restored.")
                                   : std::string("There is no trash on this computer: it is deleted for good."),
        this, "Cancel", "Delete");
    alert->show();
}

void InfoDatasheetsView::alertViewClickedButtonAtIndex(AlertView*, int index) {
    std::string name = std::move(pendingDelete_);
    pendingDelete_.clear();
    if (index != 1 || name.empty()) return;
    std::string error;
    bool done = DatasheetStore::deleteEntry(DocumentsFolder::path(), name, &error);
    storeChanged();
    showMessage(done ? "" : error);
}

bool InfoDatasheetsView::renameEntry(const std::string& from, const std::string& to) {
    std::string error;
    bool done = DatasheetStore::renameEntry(DocumentsFolder::path(), from, to, &error);
    storeChanged();
    showMessage(done ? "" : error);
    return done;
}

void InfoDatasheetsView::search() {
    RunLoop::main().cancel(snippetFill_);
    hits_.clear();
    expression_ = SearchQuery::toMatchExpression(m_cSearchField.text(), true);
    if (db_ && !expression_.empty()) hits_ = db_->search(expression_, kResultLimit, kSnippetsAtOnce);
    groupResults();
    if (hits_.size() <= kSnippetsAtOnce) return;
    snippetFill_ = RunLoop::main().defer([this] {
        db_->addSnippets(expression_, hits_, kSnippetsAtOnce, hits_.size());
        groupResults();
        m_cTableData.reloadData();
    });
}

void InfoDatasheetsView::groupResults() {
    results_.clear();
    std::vector<std::string> order;
    std::map<std::string, std::vector<ResultRow>> byDocument;
    for (const auto& hit : hits_) {
        auto& rows = byDocument[hit.path];
        if (rows.empty()) order.push_back(hit.path);
        rows.push_back({hit.path, hit.page, hit.snippet});
    }
    for (const auto& path : order) {
        results_.push_back({path, -1, ""});
        for (auto& row : byDocument[path]) results_.push_back(std::move(row));
    }
}

int InfoDatasheetsView::tableViewNumberOfRowsInSection(TableView*, int) {
    return static_cast<int>(isSearching() ? results_.size() : entries_.size());
}

std::unique_ptr<TableViewCell> InfoDatasheetsView::tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) {
    auto cell = table->dequeueReusableCellWithIdentifier("Cell");
    if (!cell) cell = std::make_unique<TableViewCell>("Cell");
    const size_t row = static_cast<size_t>(path.row);
    if (isSearching()) {
        if (path.row < 0 || row >= results_.size()) return cell;
        const ResultRow& r = results_[row];
        if (r.page < 0) {
            cell->textLabel().setText(r.path);
        } else {
            cell->textLabel().setText(r.page > 0 ? format("Page %d", r.page) : std::string("Name or text"));
            cell->detailTextLabel().setText(r.snippet);
        }
        return cell;
    }
    if (path.row < 0 || row >= entries_.size()) return cell;
    const auto& e = entries_[row];
    cell->textLabel().setText(e.name);
    std::string detail = e.isFolder ? "Folder" : DatasheetStore::sizeText(e.size);
    detail += " · " + dateText(e.mtime);
    static const char* const marks[] = {"", " · no text", " · locked, no text", " · damaged, no text",
                                        " · unreadable, no text"};
    if (auto it = statuses_.find(e.name); !e.isFolder && it != statuses_.end() && it->second >= 0 && it->second < 5)
        detail += marks[it->second];
    cell->detailTextLabel().setText(detail);
    return cell;
}

void InfoDatasheetsView::tableViewDidSelectRowAtIndexPath(TableView*, IndexPath path) {
    const size_t row = static_cast<size_t>(path.row);
    if (isSearching()) {
        if (path.row >= 0 && row < results_.size()) openViewer(results_[row].path, std::max(results_[row].page, 1));
        return;
    }
    if (path.row < 0 || row >= entries_.size()) return;
    openViewer(entries_[row].name, 0);
}

void InfoDatasheetsView::openViewer(const std::string& name, int page) {
    NSLog("Show: %@", name);
    auto viewer = std::make_unique<InfoDatasheetOpen>("InfoDatasheetOpen");
    viewer->setM_sFileName(name);
    if (page > 0) viewer->setStartPage(page);
    if (isSearching()) viewer->setSearchText(m_cSearchField.text());
    presentModalViewController(std::move(viewer), true);
}
