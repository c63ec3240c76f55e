#include "gui/ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "platform/Log.h"

namespace {

const char* const kService = "org.freedesktop.ScreenSaver";
const char* const kPath = "/org/freedesktop/ScreenSaver";

QDBusMessage screenSaverCall(const char* method) {
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

}  // namespace

ScreenSaverInhibitor& ScreenSaverInhibitor::shared() {
    static ScreenSaverInhibitor inhibitor;
    return inhibitor;
}

void ScreenSaverInhibitor::setInhibited(bool inhibited) {
    wanted_ = inhibited;
    if (inhibited)
        request();
    else
        release();
}

void ScreenSaverInhibitor::request() {
    if (cookie_ || requesting_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (!warned_) logLine("the screen may lock while files are shared: no desktop session bus");
        warned_ = true;
        return;
    }
    QDBusMessage call = screenSaverCall("Inhibit");
    call << QStringLiteral("Velkaro") << QStringLiteral("Sharing datasheets over FTP");
    requesting_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        requesting_ = false;
        QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            if (!warned_) logLine("the screen may lock while files are shared: " + reply.error().message().toStdString());
            warned_ = true;
            return;
        }
        cookie_ = reply.value();
        if (!wanted_) release();  // released while the request was on its way
    });
}

void ScreenSaverInhibitor::release() {
    if (!cookie_) return;
    QDBusMessage call = screenSaverCall("UnInhibit");
    call << *cookie_;
    cookie_.reset();
    QDBusConnection::sessionBus().send(call);  // no answer is needed
}
