#include "app/VelkaroViewController.h"

#include "app/VelkaroViewTableCell.h"

VelkaroViewController::VelkaroViewController(std::string nibName) : MenuController(std::move(nibName), false) {
    m_cTableData.setDataSource(this);
    m_cTableData.setDelegate(this);
    registerOutlet("m_cTableData", m_cTableData);
}

void VelkaroViewController::viewDidLoad() {
    _pItems.reserve(32);
    for (const MenuEntry& entry : menuEntries())
        _pItems.emplace_back(entry.title, entry.icon, [this, &entry] { sendAction(entry.action); });
    m_cTableData.reloadData();
}

int VelkaroViewController::tableViewNumberOfRowsInSection(TableView*, int) { return static_cast<int>(_pItems.size()); }

std::unique_ptr<TableViewCell> VelkaroViewController::tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) {
    std::unique_ptr<TableViewCell> reused = table->dequeueReusableCellWithIdentifier(VelkaroViewTableCell::kReuseIdentifier);
    auto cell = reused ? std::unique_ptr<VelkaroViewTableCell>(static_cast<VelkaroViewTableCell*>(reused.release()))
                       : std::make_unique<VelkaroViewTableCell>();
    // Odd rows (lowest bit set) on opaque light grey 0.95, even rows clear.
    cell->setContentBackgroundColor((path.row & 1) ? Color::rgb(0.95f, 0.95f, 0.95f) : Color::clearColor());
    const VelkaroViewItem& item = _pItems.at(static_cast<size_t>(path.row));
    cell->m_cDescription.setText(item.sName);
    cell->setImageIcon(item.sIconName);
    return cell;
}

std::optional<IndexPath> VelkaroViewController::tableViewWillSelectRowAtIndexPath(TableView* table, IndexPath path) {
    if (table == &m_cTableData && m_cTableData.hasTableHeaderView()) return std::nullopt;
    return path;
}

void VelkaroViewController::tableViewDidSelectRowAtIndexPath(TableView*, IndexPath path) {
    if (path.row < 0 || path.row >= static_cast<int>(_pItems.size())) return;
    const VelkaroViewItem& item = _pItems[static_cast<size_t>(path.row)];
    if (item.pTapFunc) item.pTapFunc();
}
