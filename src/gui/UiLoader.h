#pragma once
#include <QUiLoader>
#include <QWidget>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

/// Loads interface files from the program's resources. Knows the project's own widget classes (wheels, the
/// document viewer) besides Qt's, which the stock loader cannot create.
class UiLoader : public QUiLoader {
    Q_OBJECT
public:
    using Factory = std::function<QWidget*(QWidget* parent)>;
    explicit UiLoader(QObject* parent = nullptr);

    /// Loads ":/ui/NAME.ui"; nullptr (with a log line) when it is missing or broken.
    QWidget* loadNamed(const QString& name, QWidget* parent = nullptr);

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override;

    /// The widget of class T named `name` under `root`, which the interface file `file` must hold: a missing
    /// or misnamed one is a fault of the program, logged and thrown as std::logic_error rather than ignored.
    template <typename T>
    static T* part(QWidget* root, const char* name, const char* file) {
        if (T* w = root->findChild<T*>(name)) return w;
        fail(std::string(file) + ".ui holds no " + T::staticMetaObject.className() + " named " + name);
    }

private:
    static std::map<QString, Factory>& factories();
    [[noreturn]] static void fail(const std::string& fault);
};
