#pragma once
#include <QPointer>
#include <QStackedWidget>
#include <vector>

#include "platform/ui/ViewController.h"

/// The phone-shaped application window. It shows the root screen and stacks each presented screen over its
/// presenter, full-window, as a phone presents modal screens; a dismissed screen's page is removed.
/// The window fits the screen it opens on: a page taller or wider than the window scrolls, and on a wide window
/// a page's fields and results keep a readable width, centred. The title names the tool on top; F1 or a page's
/// "?" button explains the tool (its interface file's "What's this" text); Ctrl+Q quits. Back on a page, the
/// focus returns to the control that opened the screen above it.
class MainWindow : public QStackedWidget, public ScreenHost {
    Q_OBJECT
public:
    /// The widest a page's content gets, in pixels.
    static constexpr int kContentWidth = 720;

    explicit MainWindow(bool tablet, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Binds and shows the root screen (already loaded).
    void setRootScreen(ViewController* root);
    /// The screen whose page is on top, and that page (the screen's interface file).
    ViewController* topScreen() const;
    QWidget* currentPage() const;
    /// Shows the help of the page on top.
    void showHelp();

    void screenPresented(ViewController* presenter, ViewController* screen) override;
    void screenDismissed(ViewController* presenter, ViewController* screen) override;

private:
    void addPage(ViewController* screen, QWidget* page);
    void pageShown();
    void focusFirstInput(QWidget* page);

    std::vector<ViewController*> screens_;  // bottom to top, parallel to the stacked pages
    std::vector<QPointer<QWidget>> focusOnReturn_;  // per page: what had the focus when a screen covered it
};
