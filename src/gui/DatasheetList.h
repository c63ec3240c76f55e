#pragma once
#include <QListWidget>
#include <QPointer>

class InfoDatasheetsView;
class QAbstractButton;
class TableView;

/// The datasheet list: each row's name over its detail line (size and date, or a search result's snippet with
/// the hits in bold). Files dropped on it are copied into the store; F2 renames the selected file in place (its
/// name without the extension selected) and Delete deletes it after a confirmation, the selection then staying
/// where the row was; the context menu and the screen's buttons named "renameButton" and
/// "deleteButton" (if it has them) offer the same, the buttons enabled only while a file is selected.
class DatasheetList : public QListWidget {
    Q_OBJECT
public:
    explicit DatasheetList(QWidget* parent = nullptr);

    /// Shows `table` and follows it; import, rename and delete go to the list screen that is its data source.
    /// The rename and delete buttons are looked up here, so the list must already sit in its screen.
    void bind(TableView* table);

    /// Renames or deletes the entry of the selected row (nothing while search results are shown).
    void renameCurrent();
    void deleteCurrent();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void fill();
    QString currentName() const;
    void attachButtons();
    void updateButtons();

    TableView* table_ = nullptr;
    InfoDatasheetsView* screen_ = nullptr;
    QPointer<QAbstractButton> renameButton_, deleteButton_;
    bool showedResults_ = false;  // the rows are search results
    bool fillAfterEdit_ = false;  // the rows changed while a name was edited
    QString renamedTo_;  // the name a rename gave the current row, to keep it selected
};
