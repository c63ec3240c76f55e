#include "gui/DesktopColorScheme.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

const char* const kService = "org.freedesktop.portal.Desktop";
const char* const kPath = "/org/freedesktop/portal/desktop";
const char* const kInterface = "org.freedesktop.portal.Settings";
const char* const kNamespace = "org.freedesktop.appearance";
const char* const kKey = "color-scheme";

// The portal wraps the value in one variant (SettingChanged, ReadOne) or two (Read).
int preferenceOf(QVariant value) {
    while (value.userType() == qMetaTypeId<QDBusVariant>()) value = value.value<QDBusVariant>().variant();
    bool ok = false;
    uint preference = value.toUInt(&ok);
    return ok && preference <= DesktopColorScheme::PreferLight ? static_cast<int>(preference)
                                                               : DesktopColorScheme::NoPreference;
}

}  // namespace

DesktopColorScheme::DesktopColorScheme(QObject* parent) : QObject(parent) {}

void DesktopColorScheme::start() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    bus.connect(kService, kPath, kInterface, "SettingChanged", this, SLOT(settingChanged(QDBusMessage)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Read");
    call << QString(kNamespace) << QString(kKey);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusPendingReply<QDBusVariant> reply = *w;
        if (!reply.isError()) emit preferenceChanged(preferenceOf(QVariant::fromValue(reply.value())));
    });
}

void DesktopColorScheme::settingChanged(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() == 3 && args[0].toString() == kNamespace && args[1].toString() == kKey)
        emit preferenceChanged(preferenceOf(args[2]));
}
