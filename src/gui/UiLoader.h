#pragma once
#include <QUiLoader>
#include <functional>
#include <map>

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

private:
    static std::map<QString, Factory>& factories();
};
