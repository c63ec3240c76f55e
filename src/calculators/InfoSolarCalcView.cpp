#include "calculators/InfoSolarCalcView.h"

#include "calculators/ScrollViewFitting.h"
#include "platform/Numbers.h"
#include "core/calculators/SolarBattery.h"

namespace {
constexpr Color kRowShade = Color::rgb(0.95f, 0.95f, 0.95f, 1.0f);
}

InfoSolarCalcView::InfoSolarCalcView(std::string nibName, bool tablet) : ViewController(std::move(nibName)), _tablet(tablet) {
    m_cTable.setDataSource(this);
    m_cTable.setDelegate(this);
    for (TextField* field : {&m_cItemName, &m_cItemPower, &m_cItemUsage, &m_cVoltage, &m_cSunHours, &m_cPanelPower})
        field->setDelegate(this);
    registerOutlet("scrollView", scrollView);
    registerOutlet("m_cNavigationBar", m_cNavigationBar);
    registerOutlet("m_cTable", m_cTable);
    registerOutlet("m_cItemName", m_cItemName);
    registerOutlet("m_cItemPower", m_cItemPower);
    registerOutlet("m_cItemUsage", m_cItemUsage);
    registerOutlet("m_cVoltage", m_cVoltage);
    registerOutlet("m_cSunHours", m_cSunHours);
    registerOutlet("m_cPanelPower", m_cPanelPower);
    registerOutlet("m_cResult1", m_cResult1);
    registerOutlet("m_cResult2", m_cResult2);
    registerOutlet("m_cResult3", m_cResult3);
    registerOutlet("m_cResult4", m_cResult4);
    registerOutlet("m_cResult5", m_cResult5);
    registerOutlet("m_cResult6", m_cResult6);
    registerAction("onButtonAddItem", [this] { onButtonAddItem(); });
    registerAction("onButtonDelItems", [this] { onButtonDelItems(); });
    registerAction("onButtonBack", [this] { onButtonBack(); });
    m_cNavigationBar.setTitle("Solar battery calc");
}

void InfoSolarCalcView::viewDidLoad() {
    _items.clear();
    _items.reserve(128);
    _bDeleteMode = false;
    m_cTable.setBackgroundColor(kRowShade);
    m_cItemName.setText("LED lamp");
    m_cItemPower.setText("9");
    m_cItemUsage.setText("4.0");
    const SolarBattery::Texts opening;
    m_cVoltage.setText(opening.volts);
    m_cSunHours.setText(opening.sunHours);
    m_cPanelPower.setText(opening.panelWatts);
    fitScrollViewToDevice(scrollView, m_cNavigationBar, _tablet, {740, 900}, {400, 900});
    // Only the three figures feed the results, but an edit of an item field recomputes too, harmlessly.
    _fieldChanges.observe({&m_cItemName, &m_cItemPower, &m_cItemUsage, &m_cVoltage, &m_cSunHours, &m_cPanelPower},
                          [this] { calculateResults(); });
    calculateResults();
}

void InfoSolarCalcView::onButtonAddItem() {
    _items.emplace_back(m_cItemName.text(), floatValue(m_cItemPower.text()), floatValue(m_cItemUsage.text()));
    m_cTable.reloadData();
    m_cItemName.resignFirstResponder();
    m_cItemPower.resignFirstResponder();
    m_cItemUsage.resignFirstResponder();
    calculateResults();
}

void InfoSolarCalcView::onButtonDelItems() {
    if (!_bDeleteMode && _items.empty()) return;
    _bDeleteMode = !_bDeleteMode;
    m_cTable.setEditing(_bDeleteMode);
}

void InfoSolarCalcView::onButtonBack() {
    _items.clear();
    m_cTable.reloadData();
    dismissModalViewControllerAnimated(true);
}

int InfoSolarCalcView::tableViewNumberOfRowsInSection(TableView*, int) { return static_cast<int>(_items.size()); }

std::unique_ptr<TableViewCell> InfoSolarCalcView::tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) {
    auto cell = table->dequeueReusableCellWithIdentifier("tblCell");
    if (!cell) cell = std::make_unique<TableViewCell>("tblCell");
    // Odd rows shaded, so neighbouring loads are easy to tell apart.
    cell->setContentBackgroundColor(path.row % 2 == 1 ? kRowShade : Color::clearColor());
    cell->textLabel().setBackgroundColor(Color::clearColor());
    cell->textLabel().setText(_items[static_cast<size_t>(path.row)].rowText());
    return cell;
}

void InfoSolarCalcView::tableViewCommitDeleteForRowAtIndexPath(TableView* table, IndexPath path) {
    if (path.row < 0 || static_cast<size_t>(path.row) >= _items.size()) return;
    _items.erase(_items.begin() + path.row);
    table->deleteRowsAtIndexPaths({path});
    calculateResults();
    if (_items.empty()) {
        _bDeleteMode = false;
        table->setEditing(false);
    }
}

bool InfoSolarCalcView::textFieldShouldReturn(TextField* field) {
    field->resignFirstResponder();
    calculateResults();
    return true;
}

void InfoSolarCalcView::calculateResults() {
    const auto lines =
        SolarBattery::linesForTexts(_items, {m_cVoltage.text(), m_cSunHours.text(), m_cPanelPower.text()});
    Label* labels[] = {&m_cResult1, &m_cResult2, &m_cResult3, &m_cResult4, &m_cResult5, &m_cResult6};
    for (size_t i = 0; i < lines.size(); ++i) labels[i]->setText(lines[i]);
}
