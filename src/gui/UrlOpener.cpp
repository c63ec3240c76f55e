#include "gui/UrlOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>
#include <optional>

namespace {

// What `xdg-mime ARGS` prints, trimmed; nothing when it cannot be asked (not installed, hung).
std::optional<QString> askXdgMime(const QStringList& args) {
    QProcess query;
    query.start("xdg-mime", args);
    if (!query.waitForStarted(3000)) return std::nullopt;
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return std::nullopt;
    }
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

}  // namespace

bool UrlOpener::open(const std::string& url) {
    const QUrl address(QString::fromStdString(url));
    const QString scheme = address.scheme();
    if (address.isLocalFile()) {
        if (!hasFileHandler(address.toLocalFile())) return false;
    } else if (scheme != "http" && scheme != "https" && scheme != "mailto" && !hasHandler(scheme)) {
        return false;
    }
    return QDesktopServices::openUrl(address);
}

bool UrlOpener::hasHandler(const QString& scheme) {
    auto handler = askXdgMime({"query", "default", "x-scheme-handler/" + scheme});
    return !handler || !handler->isEmpty();
}

bool UrlOpener::hasFileHandler(const QString& path) {
    auto type = askXdgMime({"query", "filetype", path});
    if (!type || type->isEmpty()) return true;  // the desktop may still know better
    auto handler = askXdgMime({"query", "default", *type});
    return !handler || !handler->isEmpty();
}
