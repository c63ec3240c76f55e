#include "calculators/InfoSolarCalcView.h"

#include <cmath>

#include "calculators/ScrollViewFitting.h"
#include "calculators/Truncation.h"
#include "platform/Format.h"
#include "platform/Numbers.h"

namespace {
constexpr Color kRowShade = Color::rgb(0.95f, 0.95f, 0.95f, 1.0f);
}

InfoSolarCalcView::InfoSolarCalcView(std::string nibName) : ViewController(std::move(nibName)) {
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
    m_cVoltage.setText("12");
    m_cSunHours.setText("5");
    m_cPanelPower.setText("100");
    fitScrollViewToDevice(scrollView, m_cNavigationBar, {740, 900}, {400, 900});
    // Only the three figures feed the results, but an edit of an item field recomputes too, harmlessly.
    _fieldChanges.observe({&m_cItemName, &m_cItemPower, &m_cItemUsage, &m_cVoltage, &m_cSunHours, &m_cPanelPower},
                          [this] { calculateResults(); });
    calculateResults();
}

void InfoSolarCalcView::onButtonAddItem() {
    _items.push_back(std::make_unique<InfoSolarCalcItem>(m_cItemName.text(), floatValue(m_cItemPower.text()),
                                                         floatValue(m_cItemUsage.text())));
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
    cell->textLabel().setText(_items[static_cast<size_t>(path.row)]->rowText());
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
    // Single precision with double steps exactly where noted: the tests at the bounds (a typed 0.1 passes, a
    // reserve of 0.01 fails, 24 sun hours fail) depend on it.
    float energy = 0.0f;
    for (const auto& item : _items) energy = energy + item->fDailyUsage * item->fPower;
    m_cResult1.setText(format("%.1f Wh", energy));

    const float volts = floatValue(m_cVoltage.text());
    float reserve = 0.0f;
    if (static_cast<double>(volts) > 0.1) {
        const float capacity = static_cast<float>((static_cast<double>(energy) * 1.2) / static_cast<double>(volts));
        m_cResult2.setText(format("%.1f Ah", capacity));
        m_cResult3.setText(format("%.1f Ah", capacity + capacity));
        reserve = static_cast<float>(static_cast<double>(capacity) * 0.2);
    } else {
        m_cResult2.setText("--");
        m_cResult3.setText("--");
    }
    m_cResult4.setText(format("%.1f Ah", reserve));

    const float sunHours = floatValue(m_cSunHours.text());
    const float panelWatts = floatValue(m_cPanelPower.text());
    if (static_cast<double>(sunHours) > 0.1 && sunHours < 24.0f && static_cast<double>(panelWatts) > 0.1 &&
        static_cast<double>(reserve) > 0.01) {
        const float perHour = static_cast<float>(static_cast<double>(sunHours) / 1.55) / 24.0f;
        const float average = panelWatts * perHour;
        const float quotient = ((volts * reserve) * 0.5f) / average;
        const int panels = truncateToInt32(static_cast<double>(std::floor(quotient)) + 1.0);
        m_cResult5.setText(format("%d", panels));
        m_cResult6.setText(format("%.1f W", average));
    } else {
        m_cResult5.setText("--");
        m_cResult6.setText("--");
    }
}
