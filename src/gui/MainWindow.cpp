#include "gui/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>

#include "gui/ScreenBinder.h"

namespace {

// Lets every part of the page's column but its bars (top bar, status bar) grow only to `kContentWidth`, centred:
// fields stretched across a wide window are hard to read.
void centreContent(QWidget* page) {
    auto* root = qobject_cast<QBoxLayout*>(page->layout());
    if (!root || root->direction() != QBoxLayout::TopToBottom) return;
    for (int i = 0; i < root->count(); ++i) {
        QLayoutItem* item = root->itemAt(i);
        QWidget* content = item->widget();
        if (content && content->objectName().endsWith("Bar")) continue;
        if (!content && !item->layout()) continue;  // a spacer
        const int stretch = root->stretch(i);
        root->takeAt(i);
        if (!content) {  // a layout gets a widget of its own, which can have a maximum width
            QLayout* inner = item->layout();
            inner->setParent(nullptr);
            content = new QWidget(page);
            content->setLayout(inner);
        } else {
            delete item;
        }
        content->setMaximumWidth(std::min(content->maximumWidth(), MainWindow::kContentWidth));
        auto* row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        row->addStretch();
        row->addWidget(content, 1);
        row->addStretch();
        root->insertLayout(i, row, stretch);
    }
}

}  // namespace

MainWindow::MainWindow(bool tablet, QWidget* parent) : QStackedWidget(parent) {
    setWindowTitle("Velkaro");
    setWindowIcon(QIcon(":/images/velkaro.svg"));
    // Shaped like the phone (or tablet) screen the tools were laid out for, as far as the screen allows; the
    // window frame and the desktop's panels take their share.
    QSize size = tablet ? QSize(768, 1024) : QSize(390, 760);
    if (QScreen* screen = this->screen()) size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    resize(size);
    setMinimumSize(QSize(320, 400).boundedTo(size));
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this, [this] { showHelp(); });
    help->setContext(Qt::WindowShortcut);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this, [this] { close(); });
    quit->setContext(Qt::ApplicationShortcut);  // from the help box too
    ViewController::setScreenHost(this);
}

MainWindow::~MainWindow() {
    if (ViewController::screenHost() == this) ViewController::setScreenHost(nullptr);
    for (ViewController* s : screens_) ScreenBinder::releaseScreen(s);
}

void MainWindow::setRootScreen(ViewController* root) {
    QWidget* page = ScreenBinder::bindScreen(root, this);
    if (!page) page = new QLabel(tr("The menu cannot be shown: its interface file is missing."), this);
    addPage(root, page);
}

ViewController* MainWindow::topScreen() const { return screens_.empty() ? nullptr : screens_.back(); }

QWidget* MainWindow::currentPage() const {
    auto* scroll = qobject_cast<QScrollArea*>(currentWidget());
    return scroll ? scroll->widget() : nullptr;
}

void MainWindow::screenPresented(ViewController*, ViewController* screen) {
    if (!focusOnReturn_.empty()) focusOnReturn_.back() = QApplication::focusWidget();
    QWidget* page = ScreenBinder::bindScreen(screen, this);
    if (!page) {
        auto* missing = new QLabel(tr("This screen cannot be shown: its interface file %1.ui is missing.")
                                       .arg(QString::fromStdString(screen->nibName())),
                                   this);
        missing->setWordWrap(true);
        page = missing;
    }
    addPage(screen, page);
}

void MainWindow::addPage(ViewController* screen, QWidget* page) {
    if (!page->property("fullWidth").toBool()) centreContent(page);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("pageScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // Not a stop of its own in the Tab cycle (one without a name to say): it follows the focus instead, each
    // control scrolled into view as Tab reaches it.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(page);
    if (auto* help = page->findChild<QAbstractButton*>("helpButton"))
        connect(help, &QAbstractButton::clicked, this, &MainWindow::showHelp);
    addWidget(scroll);
    screens_.push_back(screen);
    focusOnReturn_.emplace_back();
    setCurrentWidget(scroll);
    pageShown();
}

void MainWindow::pageShown() {
    QWidget* page = currentPage();
    if (!page) return;
    const QString tool = page->windowTitle();
    setWindowTitle(tool.isEmpty() || tool == "Velkaro" ? QString("Velkaro") : tool + " \u2013 Velkaro");
    QWidget* back = focusOnReturn_.back();
    if (back && page->isAncestorOf(back) && back->isEnabled()) back->setFocus(Qt::OtherFocusReason);
    else focusFirstInput(page);
}

void MainWindow::showHelp() {
    QWidget* page = currentPage();
    if (!page || page->whatsThis().isEmpty()) return;
    // A dialog of its own rather than a message box, which sizes itself for the screen (up to 500 pixels wide)
    // and would stick out of a phone-sized window: this one wraps to the window's width and scrolls when long.
    auto* box = new QDialog(this);
    box->setObjectName("helpBox");
    box->setWindowTitle(tr("Help: %1").arg(page->windowTitle()));
    box->setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QLabel(page->whatsThis());
    text->setObjectName("helpText");
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextBrowserInteraction);
    text->setOpenExternalLinks(true);
    text->setMargin(6);
    auto* scroll = new QScrollArea;
    scroll->setWidget(text);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::reject);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
    const int width = std::min(480, this->width() - 24);
    const int inner = width - layout->contentsMargins().left() - layout->contentsMargins().right();
    const int wanted = text->heightForWidth(inner) + buttons->sizeHint().height() + layout->spacing() +
                       layout->contentsMargins().top() + layout->contentsMargins().bottom();
    box->setFixedWidth(width);
    box->resize(width, std::min(wanted, height() - 24));
    box->open();
}

void MainWindow::focusFirstInput(QWidget* page) {
    // The keyboard goes where the user works: the first text field, else the first widget in tab order that is
    // not a button (a wheel, a list), else the first button below the top bar (a menu tile), else the page.
    if (auto* field = page->findChild<QLineEdit*>(); field && field->isEnabled()) {
        field->setFocus();
        return;
    }
    QWidget* firstButton = nullptr;
    QWidget* topBar = page->findChild<QWidget*>("topBar");
    for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
        if (!page->isAncestorOf(w) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus)) continue;
        if (!qobject_cast<QAbstractButton*>(w)) {
            w->setFocus();
            return;
        }
        if (!firstButton && !(topBar && topBar->isAncestorOf(w))) firstButton = w;
    }
    (firstButton ? firstButton : page)->setFocus();
}

void MainWindow::screenDismissed(ViewController*, ViewController* screen) {
    auto it = std::find(screens_.begin(), screens_.end(), screen);
    if (it == screens_.end()) return;
    size_t index = static_cast<size_t>(it - screens_.begin());
    QWidget* scroll = widget(static_cast<int>(index));
    ScreenBinder::releaseScreen(screen);
    focusOnReturn_.erase(focusOnReturn_.begin() + static_cast<std::ptrdiff_t>(index));
    screens_.erase(it);
    if (scroll) {
        removeWidget(scroll);
        scroll->deleteLater();
    }
    pageShown();
}
