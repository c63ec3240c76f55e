#include "gui/UrlOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

bool UrlOpener::open(const std::string& url) {
    const QUrl address(QString::fromStdString(url));
    const QString scheme = address.scheme();
    const bool common = scheme == "file" || scheme == "http" || scheme == "https" || scheme == "mailto";
    if (!common && !hasHandler(scheme)) return false;
    return QDesktopServices::openUrl(address);
}

bool UrlOpener::hasHandler(const QString& scheme) {
    QProcess query;
    query.start("xdg-mime", {"query", "default", "x-scheme-handler/" + scheme});
    if (!query.waitForStarted(3000)) return true;
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}
