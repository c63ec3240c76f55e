#pragma once
#include <string>

#include "platform/ui/TableView.h"

/// The main menu's row: a title label and an icon, from the interface file "VelkaroViewTableCell".
class VelkaroViewTableCell : public TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "tblCellView";
    VelkaroViewTableCell() : TableViewCell(kReuseIdentifier, "VelkaroViewTableCell") {
        registerOutlet("m_cDescription", m_cDescription);
        registerOutlet("m_cIcon", m_cIcon);
    }

    Label m_cDescription;
    ImageView m_cIcon;

    /// Shows the image resource of that name as the row's icon.
    void setImageIcon(const std::string& name) { m_cIcon.setImageNamed(name); }
};
