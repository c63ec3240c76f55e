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
    for (const MenuEntry& entry : moreToolEntries())
        _moreItems.emplace_back(entry.title, entry.icon, [this, &entry] { sendAction(entry.action); });
    for (const MenuEntry& entry : pcbToolEntries())
        _pcbItems.emplace_back(entry.title, entry.icon, [this, &entry] { sendAction(entry.action); });
    m_cTableData.reloadData();
}

int VelkaroViewController::tableViewNumberOfRowsInSection(TableView*, int section) {
    if (section == kMoreToolsSection) return 1 + static_cast<int>(_moreItems.size());
    if (section == kPcbToolsSection) return 1 + static_cast<int>(_pcbItems.size());
    return static_cast<int>(_pItems.size());
}

const VelkaroViewItem* VelkaroViewController::itemAt(IndexPath path) const {
    const bool headed = path.section == kMoreToolsSection || path.section == kPcbToolsSection;
    const auto& items = path.section == kMoreToolsSection ? _moreItems : path.section == kPcbToolsSection ? _pcbItems : _pItems;
    const int index = headed ? path.row - 1 : path.row;
    return index >= 0 && index < static_cast<int>(items.size()) ? &items[static_cast<size_t>(index)] : nullptr;
}

float VelkaroViewController::tableViewHeightForRowAtIndexPath(TableView*, IndexPath path) {
    return path.section != 0 && path.row == 0 ? kHeadingHeight : 64.0f;
}

std::unique_ptr<TableViewCell> VelkaroViewController::tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) {
    const VelkaroViewItem* item = itemAt(path);
    if (!item) {  // the group's heading: its name only, and no taps
        const bool more = path.section == kMoreToolsSection;
        auto heading = std::make_unique<TableViewCell>(more ? "moreToolsHeading" : "pcbToolsHeading");
        heading->textLabel().setText(more ? kMoreToolsTitle : kPcbToolsTitle);
        heading->setEnabled(false);
        return heading;
    }
    std::unique_ptr<TableViewCell> reused = table->dequeueReusableCellWithIdentifier(VelkaroViewTableCell::kReuseIdentifier);
    auto cell = reused ? std::unique_ptr<VelkaroViewTableCell>(static_cast<VelkaroViewTableCell*>(reused.release()))
                       : std::make_unique<VelkaroViewTableCell>();
    // Odd rows (lowest bit set) on opaque light grey 0.95, even rows clear.
    cell->setContentBackgroundColor((path.row & 1) ? Color::rgb(0.95f, 0.95f, 0.95f) : Color::clearColor());
    cell->m_cDescription.setText(item->sName);
    cell->setImageIcon(item->sIconName);
    return cell;
}

std::optional<IndexPath> VelkaroViewController::tableViewWillSelectRowAtIndexPath(TableView* table, IndexPath path) {
    if (table == &m_cTableData && m_cTableData.hasTableHeaderView()) return std::nullopt;
    return path;
}

void VelkaroViewController::tableViewDidSelectRowAtIndexPath(TableView*, IndexPath path) {
    const VelkaroViewItem* item = itemAt(path);
    if (item && item->pTapFunc) item->pTapFunc();
}
