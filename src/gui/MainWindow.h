#pragma once
#include <QStackedWidget>

#include "platform/ui/ViewController.h"

/// The phone-shaped application window. It shows the root screen and stacks each presented screen over its
/// presenter, full-window, as a phone presents modal screens; a dismissed screen's page is removed.
class MainWindow : public QStackedWidget, public ScreenHost {
    Q_OBJECT
public:
    explicit MainWindow(bool tablet, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Binds and shows the root screen (already loaded).
    void setRootScreen(ViewController* root);
    /// The screen whose page is on top.
    ViewController* topScreen() const;

    void screenPresented(ViewController* presenter, ViewController* screen) override;
    void screenDismissed(ViewController* presenter, ViewController* screen) override;

private:
    void focusFirstInput(QWidget* page);

    std::vector<ViewController*> screens_;  // bottom to top, parallel to the stacked pages
};
