#include "gui/GuiState.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include "platform/Preferences.h"

namespace {

QSettings store() {
    return QSettings(QFileInfo(QString::fromStdString(Preferences::standard().path())).dir().filePath("window.conf"),
                     QSettings::IniFormat);
}

// One line per document, the one read last first: "PAGE<tab>PATH" (a path may hold anything but a newline).
constexpr const char* kPagesKey = "lastPages";

QString pathOf(const QString& line) { return line.mid(line.indexOf('\t') + 1); }

}  // namespace

int GuiState::lastPage(const QString& path) {
    for (const QString& line : store().value(kPagesKey).toStringList())
        if (line.indexOf('\t') > 0 && pathOf(line) == path) return line.left(line.indexOf('\t')).toInt();
    return -1;
}

void GuiState::rememberPage(const QString& path, int page) {
    if (path.contains('\n')) return;
    QSettings settings = store();
    QStringList kept{QString::number(page) + '\t' + path};
    for (const QString& line : settings.value(kPagesKey).toStringList())
        if (pathOf(line) != path && kept.size() < kDocuments) kept << line;
    settings.setValue(kPagesKey, kept);
}

QString GuiState::importFolder() { return store().value("importFolder").toString(); }

void GuiState::setImportFolder(const QString& folder) { store().setValue("importFolder", folder); }
