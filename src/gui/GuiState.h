#pragma once
#include <QString>

/// What the window remembers between launches beyond the preferences: the page each PDF was left at and the
/// folder files were last imported from. Kept beside the preferences (window.conf), so a scratch profile keeps
/// its own; pages for the documents read last only, at most `kDocuments` of them, so the file never only grows.
class GuiState {
public:
    static constexpr int kDocuments = 100;

    /// The 0-based page `path` was left at, or -1 when none is remembered.
    static int lastPage(const QString& path);
    /// Remembers `page` for `path`, as the document read last.
    static void rememberPage(const QString& path, int page);

    /// The folder the last import came from, or empty.
    static QString importFolder();
    static void setImportFolder(const QString& folder);
};
