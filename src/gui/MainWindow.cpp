#include "gui/MainWindow.h"

#include <QAbstractButton>
#include <QIcon>
#include <QLineEdit>
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
    focusFirstInput(page);
}

void MainWindow::focusFirstInput(QWidget* page) {
    // The keyboard goes where the user works: the first text field, else the first widget in tab order that is
    // not a button (a wheel, a list), else the page itself.
    if (auto* field = page->findChild<QLineEdit*>(); field && field->isEnabled()) {
        field->setFocus();
        return;
    }
    for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            !qobject_cast<QAbstractButton*>(w)) {
            w->setFocus();
            return;
        }
    }
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
    if (QWidget* top = currentWidget()) focusFirstInput(top);
}
