#include "gui/MainWindow.h"

#include <QIcon>
#include <QLabel>

#include "gui/ScreenBinder.h"

MainWindow::MainWindow(bool tablet, QWidget* parent) : QStackedWidget(parent) {
    setWindowTitle("Velkaro");
    setWindowIcon(QIcon(":/images/velkaro.svg"));
    // Shaped like the phone (or tablet) screen the tools were laid out for; it only turns in portrait.
    if (tablet)
        resize(768, 1024);
    else
        resize(390, 760);
    ViewController::setScreenHost(this);
}

MainWindow::~MainWindow() {
    if (ViewController::screenHost() == this) ViewController::setScreenHost(nullptr);
    for (ViewController* s : screens_) ScreenBinder::releaseScreen(s);
}

void MainWindow::setRootScreen(ViewController* root) {
    QWidget* page = ScreenBinder::bindScreen(root, this);
    if (!page) page = new QLabel(tr("The menu cannot be shown: its interface file is missing."), this);
    addWidget(page);
    screens_.push_back(root);
    setCurrentWidget(page);
}

ViewController* MainWindow::topScreen() const { return screens_.empty() ? nullptr : screens_.back(); }

void MainWindow::screenPresented(ViewController*, ViewController* screen) {
    QWidget* page = ScreenBinder::bindScreen(screen, this);
    if (!page) {
        page = new QLabel(tr("This screen cannot be shown: its interface file %1.ui is missing.")
                              .arg(QString::fromStdString(screen->nibName())),
                          this);
        static_cast<QLabel*>(page)->setWordWrap(true);
    }
    addWidget(page);
    screens_.push_back(screen);
    setCurrentWidget(page);
    page->setFocus();
}

void MainWindow::screenDismissed(ViewController*, ViewController* screen) {
    auto it = std::find(screens_.begin(), screens_.end(), screen);
    if (it == screens_.end()) return;
    size_t index = static_cast<size_t>(it - screens_.begin());
    QWidget* page = widget(static_cast<int>(index));
    ScreenBinder::releaseScreen(screen);
    screens_.erase(it);
    if (page) {
        removeWidget(page);
        page->deleteLater();
    }
    if (QWidget* top = currentWidget()) top->setFocus();
}
