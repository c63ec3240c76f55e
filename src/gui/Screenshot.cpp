#include "gui/Screenshot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <iostream>

#include "app/VelkaroAppDelegate.h"
#include "gui/GuiSetup.h"
#include "gui/MainWindow.h"
#include "platform/Numbers.h"
#include "platform/RunLoop.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Application.h"
#include "platform/ui/TextField.h"

namespace {

// Lets Qt and the run loop settle (deferred dismissals, loads that report back later).
void settle(int ms = 150) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        RunLoop::main().runOnce(0);
    }
}

bool perform(MainWindow& window, const ScreenshotRequest::Step& step) {
    ViewController* top = window.topScreen();
    if (!top) return false;
    if (step.kind == ScreenshotRequest::Step::Action) return top->sendAction(step.target);
    View* outlet = top->outlet(step.target);
    if (step.kind == ScreenshotRequest::Step::Type) {
        auto* field = dynamic_cast<TextField*>(outlet);
        if (!field) return false;
        field->userEdit(step.value);
        return true;
    }
    if (step.kind == ScreenshotRequest::Step::Wheel) {
        auto* picker = dynamic_cast<PickerView*>(outlet);
        auto colon = step.value.find(':');
        if (!picker || colon == std::string::npos) return false;
        picker->userSelectRow(intValue(step.value.substr(colon + 1)), intValue(step.value.substr(0, colon)));
        return true;
    }
    auto* table = dynamic_cast<TableView*>(outlet);
    if (!table) return false;
    table->userTapRow(IndexPath{0, intValue(step.value)});
    return true;
}

}  // namespace

int takeScreenshot(int argc, char** argv, const ScreenshotRequest& request) {
    QApplication qapp(argc, argv);
    installGuiHandlers();
    if (request.tablet) Application::shared().setUserInterfaceIdiom(Application::Idiom::Pad);
    RunLoopDriver driver(RunLoop::main());
    auto delegate = std::make_shared<VelkaroAppDelegate>();
    MainWindow window(request.tablet);
    delegate->applicationDidFinishLaunchingWithOptions();
    window.setRootScreen(delegate->window->rootViewController());
    window.show();
    settle();
    for (const auto& step : request.steps) {
        if (!perform(window, step)) {
            std::cerr << "velkaro: screenshot step on \"" << step.target << "\" could not be done on the screen shown\n";
            return 1;
        }
        settle();
    }
    settle(300);
    if (!window.grab().save(QString::fromStdString(request.output), "PNG", 0)) {  // 0: smallest file
        std::cerr << "velkaro: cannot write " << request.output << '\n';
        return 1;
    }
    ViewController::setScreenHost(nullptr);
    return 0;
}
