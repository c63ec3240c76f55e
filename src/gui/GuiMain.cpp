#include "gui/GuiMain.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <memory>

#include "app/VelkaroAppDelegate.h"
#include "gui/GuiSetup.h"
#include "gui/MainWindow.h"
#include "platform/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"

int runGui(int argc, char** argv) {
    QApplication qapp(argc, argv);
    installGuiHandlers();
    RunLoopDriver driver(RunLoop::main());

    auto delegate = std::make_shared<VelkaroAppDelegate>();
    MainWindow window(VelkaroAppDelegate::isIPad());
    delegate->applicationDidFinishLaunchingWithOptions();
    window.setRootScreen(delegate->window->rootViewController());
    window.show();
    int status = qapp.exec();
    ViewController::setScreenHost(nullptr);
    return status;
}
