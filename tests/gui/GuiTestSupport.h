#pragma once
// Shared by the GUI tests: starts the real window with the menu on a scratch profile and helps drive widgets.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "app/MenuEntry.h"
#include "app/VelkaroAppDelegate.h"
#include "datasheets/DatasheetsTestSupport.h"
#include "gui/GuiSetup.h"
#include "gui/MainWindow.h"
#include "platform/FileSystem.h"
#include "platform/Preferences.h"
#include "platform/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/TableView.h"

class GuiHarness {
public:
    explicit GuiHarness(bool tablet = false) {
        Preferences::setStandardPath(scratch_.filePath("preferences").toStdString());
        setDocumentsDirectory(scratch_.filePath("Documents").toStdString());
        qputenv("XDG_DATA_HOME", scratch_.path().toUtf8());  // the datasheet index too
        qputenv("XDG_CONFIG_HOME", scratch_.path().toUtf8());  // and the FTPS certificate
        // The light palette whatever the desktop prefers, unless a test follows the desktop itself.
        if (qEnvironmentVariableIsEmpty("VELKARO_COLOR_SCHEME")) qputenv("VELKARO_COLOR_SCHEME", "light");
        installGuiHandlers();
        driver_ = std::make_unique<RunLoopDriver>(RunLoop::main());
        Application::shared().setUserInterfaceIdiom(tablet ? Application::Idiom::Pad : Application::Idiom::Phone);
        delegate_ = std::make_shared<VelkaroAppDelegate>();
        window_ = std::make_unique<MainWindow>(tablet);
        delegate_->applicationDidFinishLaunchingWithOptions();
        window_->setRootScreen(delegate_->window->rootViewController());
        window_->show();
        settle();
    }
    ~GuiHarness() {
        window_.reset();
        Application::shared().setUserInterfaceIdiom(Application::Idiom::Phone);
    }

    MainWindow& window() { return *window_; }
    VelkaroAppDelegate& delegate() { return *delegate_; }
    QWidget* page() { return window_->currentPage(); }
    template <typename T>
    T find(const char* name) {
        return page() ? page()->findChild<T>(name) : nullptr;
    }

    /// Lets Qt and the app's run loop run for `ms` milliseconds (deferred dismissals, loads, timers).
    static void settle(int ms = 100) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    /// Waits until `done` holds, at most `ms` milliseconds.
    template <typename Pred>
    static bool waitFor(Pred done, int ms = 3000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    }

    /// Clicks a menu row as a user would and waits for the tool's page.
    bool openMenuRow(int row) {
        auto* list = find<QListWidget*>("m_cTableData");
        if (!list || row >= list->count()) return false;
        QWidget* menu = page();
        list->scrollToItem(list->item(row));
        QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        return waitFor([&] { return page() != menu; });
    }

    /// Opens every screen in turn (each tool from the menu, then the transfer screen and the viewer of the first
    /// document from the datasheet list), calls `look` with it on top, and goes back. False when one does not open.
    bool visitEveryScreen(const std::function<void()>& look) {
        auto open = [&](auto&& how) {
            QWidget* before = page();
            how();
            return waitFor([&] { return page() != before; });
        };
        auto back = [&] { return open([&] { window_->topScreen()->sendAction("onButtonBack"); }); };
        QDir().mkpath(scratch_.filePath("Documents"));
        QFile doc(scratch_.filePath("Documents/notes.txt"));
        if (!doc.open(QIODevice::WriteOnly) || doc.write("x") != 1) return false;
        doc.close();
        look();
        std::vector<MenuEntry> entries(menuEntries().begin(), menuEntries().end());
        entries.insert(entries.end(), moreToolEntries().begin(), moreToolEntries().end());
        entries.insert(entries.end(), pcbToolEntries().begin(), pcbToolEntries().end());
        for (const MenuEntry& entry : entries) {
            if (!open([&] { window_->topScreen()->sendAction(entry.action); })) return false;
            look();
            if (std::string(entry.action) == "onShowDatasheet") {
                if (!open([&] { window_->topScreen()->sendAction("onButtonFTP"); })) return false;
                look();
                if (!back()) return false;
                auto* list = dynamic_cast<TableView*>(window_->topScreen()->outlet("m_cTableData"));
                if (!list || !open([&] { list->userTapRow(IndexPath{0, 0}); })) return false;
                look();
                if (!back()) return false;
            }
            if (!back()) return false;
        }
        return true;
    }

    /// Replaces a field's text by typing, as a user would.
    static void retype(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClicks(field, text);
    }

private:
    QTemporaryDir scratch_;
    std::unique_ptr<RunLoopDriver> driver_;
    std::shared_ptr<VelkaroAppDelegate> delegate_;
    std::unique_ptr<MainWindow> window_;
};
