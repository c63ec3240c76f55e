#pragma once
#include <QObject>

/// Makes Return (and Enter) press the focused button anywhere in the program, as Space does: outside dialogs a
/// push button takes only Space. Dialogs keep their own rule (Return presses the default button).
class ReturnKeyFilter : public QObject {
    Q_OBJECT
public:
    /// Installs the filter on the application once; later calls do nothing.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
