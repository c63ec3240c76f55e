#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/TextChangeSubscription.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "core/calculators/InfoSolarCalcItem.h"

/// Solar battery calculator: a list of loads (name, watts, hours a day), the battery voltage, the daily sun hours
/// and one panel's power give the daily energy, the battery capacity, twice that, the reserve, the number of
/// panels and one panel's average power over a day. Nothing is kept between openings.
class InfoSolarCalcView : public ViewController,
                          public TableViewDataSource,
                          public TableViewDelegate,
                          public TextFieldDelegate {
public:
    /// `tablet` gives the form the tablet's fixed size instead of the phone's window.
    explicit InfoSolarCalcView(std::string nibName = "InfoSolarCalcView", bool tablet = false);

    ScrollView scrollView;
    NavigationBar m_cNavigationBar;
    TableView m_cTable;
    TextField m_cItemName;
    TextField m_cItemPower;
    TextField m_cItemUsage;
    TextField m_cVoltage;
    TextField m_cSunHours;
    TextField m_cPanelPower;
    Label m_cResult1, m_cResult2, m_cResult3, m_cResult4, m_cResult5, m_cResult6;

    /// The loads in the order they were added.
    const std::vector<InfoSolarCalcItem>& items() const { return _items; }
    bool isDeleteMode() const { return _bDeleteMode; }

    /// Appends a load from the three item fields, which keep their texts.
    void onButtonAddItem();
    /// Toggles delete mode; does nothing on an empty list outside delete mode.
    void onButtonDelItems();
    /// Discards the list and closes the screen.
    void onButtonBack();
    /// Sets the six result labels from the list and the fields.
    void calculateResults();

    int numberOfSectionsInTableView(TableView*) override { return 1; }
    int tableViewNumberOfRowsInSection(TableView* table, int section) override;
    std::unique_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView* table, IndexPath path) override;
    void tableViewCommitDeleteForRowAtIndexPath(TableView* table, IndexPath path) override;
    float tableViewHeightForRowAtIndexPath(TableView*, IndexPath) override { return 40.0f; }
    /// Rows are never selected.
    std::optional<IndexPath> tableViewWillSelectRowAtIndexPath(TableView*, IndexPath) override { return std::nullopt; }
    bool textFieldShouldReturn(TextField* field) override;

protected:
    void viewDidLoad() override;

private:
    const bool _tablet;
    std::vector<InfoSolarCalcItem> _items;
    bool _bDeleteMode = false;
    TextChangeSubscription _fieldChanges;
};
