#include "datasheets/InfoDatasheetsView.h"

#include "datasheets/DocumentsFolder.h"
#include "ftp/AtomicUpload.h"
#include "datasheets/InfoDatasheetOpen.h"
#include "datasheets/InfoDatasheetsFTP.h"
#include "platform/Log.h"

InfoDatasheetsView::InfoDatasheetsView(std::string nibName) : ViewController(std::move(nibName)) {
    m_cTableData.setDataSource(this);
    m_cTableData.setDelegate(this);
    registerOutlet("m_cTableData", m_cTableData);
    registerOutlet("m_cFilesInfo", m_cFilesInfo);
    registerAction("onButtonBack", [this] { dismissModalViewControllerAnimated(true); });
    registerAction("onButtonRefresh", [this] { onButtonRefresh(); });
    registerAction("onButtonFTP", [this] { onButtonFTP(); });
}

void InfoDatasheetsView::viewDidLoad() {
    _filesList.clear();
    updateFilesList();  // the table's first load, when it is shown, then asks for the rows
}

void InfoDatasheetsView::updateFilesList() {
    const std::string folder = DocumentsFolder::path();
    _filesList.clear();
    for (auto& name : DocumentsFolder::contentsOfDirectoryAtPath(folder))
        if (!AtomicUpload::isTemporaryName(name)) _filesList.push_back(std::move(name));  // an upload under way
    m_cFilesInfo.setText(format("Files: %d", static_cast<int>(_filesList.size())));
}

void InfoDatasheetsView::onButtonRefresh() {
    updateFilesList();
    m_cTableData.reloadData();
}

void InfoDatasheetsView::onButtonFTP() {
    auto transfer = std::make_unique<InfoDatasheetsFTP>("InfoDatasheetsFTP");
    // Files may have arrived while it was open. The completion runs once the transfer screen is gone, and never
    // after this screen is: destroying a screen withdraws its pending dismissal.
    transfer->setDismissCompletion([this] { onButtonRefresh(); });
    presentViewController(std::move(transfer), true);
}

int InfoDatasheetsView::tableViewNumberOfRowsInSection(TableView*, int) {
    return static_cast<int>(_filesList.size());
}

std::unique_ptr<TableViewCell> InfoDatasheetsView::tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) {
    auto cell = table->dequeueReusableCellWithIdentifier("Cell");
    if (!cell) cell = std::make_unique<TableViewCell>("Cell");
    if (path.row >= 0 && path.row < static_cast<int>(_filesList.size()))
        cell->textLabel().setText(_filesList[static_cast<size_t>(path.row)]);
    return cell;
}

void InfoDatasheetsView::tableViewDidSelectRowAtIndexPath(TableView*, IndexPath path) {
    if (path.row < 0 || path.row >= static_cast<int>(_filesList.size())) return;
    const std::string& name = _filesList[static_cast<size_t>(path.row)];
    NSLog("Show: %@", name);
    auto viewer = std::make_unique<InfoDatasheetOpen>("InfoDatasheetOpen");
    viewer->setM_sFileName(name);
    presentModalViewController(std::move(viewer), true);
}
