#include "gui/GuiSetup.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

#include "app/VelkaroAppDelegate.h"
#include "datasheets/InfoDatasheetsView.h"
#include "gui/GuiState.h"
#include "gui/ReturnKeyFilter.h"
#include "gui/ScreenSaverInhibitor.h"
#include "gui/Theme.h"
#include "gui/UrlOpener.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"

void installGuiHandlers() {
    QApplication::setApplicationName("Velkaro");
    QApplication::setApplicationVersion(VELKARO_VERSION);
    QApplication::setDesktopFileName(VelkaroAppDelegate::kApplicationId);
    QApplication::setStyle("Fusion");
    QFont font("DejaVu Sans");
    font.setPointSize(11);
    QApplication::setFont(font);
    Theme::shared().install();
    ReturnKeyFilter::install();

    Application& app = Application::shared();
    app.setIdleTimerHandler([](bool disabled) { ScreenSaverInhibitor::shared().setInhibited(disabled); });
    app.setOpenURLHandler(&UrlOpener::open);
    InfoDatasheetsView::setImportChooser([] {
        // Where the last import came from, else the user's documents (not the process's working folder).
        QString from = GuiState::importFolder();
        if (from.isEmpty() || !QFileInfo(from).isDir())
            from = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QStringList chosen =
            QFileDialog::getOpenFileNames(QApplication::activeWindow(), QObject::tr("Copy datasheets into the store"), from);
        if (!chosen.isEmpty()) GuiState::setImportFolder(QFileInfo(chosen.first()).absolutePath());
        std::vector<std::string> paths;
        for (const QString& path : chosen) paths.push_back(path.toStdString());
        return paths;
    });
    app.setAlertPresenter([](const std::shared_ptr<AlertView>& alert) {
        // Over the window, never over another message: a message that leads to this one (the rate prompt's Rate
        // saying why nothing opens) is closing, and would take this one with it.
        QWidget* over = QApplication::activeWindow();
        while (over && qobject_cast<QDialog*>(over)) over = over->parentWidget() ? over->parentWidget()->window() : nullptr;
        auto* box = new QMessageBox(over);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowTitle(QString::fromStdString(alert->title()));
        box->setText(QString::fromStdString(alert->title()));
        box->setInformativeText(QString::fromStdString(alert->message()));
        // The cancel button has index 0 and the other button index 1, whatever their titles say.
        QPushButton* cancel = box->addButton(QString::fromStdString(alert->cancelButtonTitle()), QMessageBox::AcceptRole);
        QPushButton* other = alert->numberOfButtons() > 1
                                 ? box->addButton(QString::fromStdString(alert->otherButtonTitle()), QMessageBox::RejectRole)
                                 : nullptr;
        std::weak_ptr<AlertView> weak = alert;
        QObject::connect(box, &QMessageBox::buttonClicked, box, [weak, cancel, other](QAbstractButton* b) {
            auto a = weak.lock();
            if (!a || !a->isVisible()) return;
            if (b == cancel) a->clickButtonAtIndex(0);
            else if (b == other) a->clickButtonAtIndex(1);
        });
        box->open();
    });
}
