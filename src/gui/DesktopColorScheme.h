#pragma once
#include <QObject>

class QDBusMessage;

/// The desktop's light or dark preference, read from the freedesktop settings portal on the session bus
/// (namespace org.freedesktop.appearance, key color-scheme) and followed while it changes. Nothing blocks:
/// the first answer arrives asynchronously. Without a session bus or a portal nothing is ever reported, and the
/// program keeps the platform's palette (light unless the desktop's Qt settings say otherwise).
class DesktopColorScheme : public QObject {
    Q_OBJECT
public:
    /// The portal's values.
    enum Preference { NoPreference = 0, PreferDark = 1, PreferLight = 2 };

    explicit DesktopColorScheme(QObject* parent = nullptr);
    /// Asks the portal once and subscribes to its changes.
    void start();

signals:
    void preferenceChanged(int preference);

private slots:
    void settingChanged(const QDBusMessage& message);
};
