#pragma once
#include <cstdint>
#include <string>
#include <vector>

/// The changes a user makes to the datasheet store from the window: import, delete, rename. Every name is a bare
/// entry name of the documents folder; a name that would lead out of it ("..", a "/") is refused, like the FTP
/// server refuses it. Failures come back as a readable sentence, never an exception.
class DatasheetStore {
public:
    DatasheetStore() = delete;

    /// An entry with what the list shows beside its name.
    struct Entry {
        std::string name;
        std::int64_t size = 0;
        std::int64_t mtime = 0;  ///< seconds since the epoch
        bool isFolder = false;
    };
    /// Size, time and kind of each name in `folder` ("" values for entries that vanished meanwhile).
    static std::vector<Entry> describe(const std::string& folder, const std::vector<std::string>& names);

    enum class Order { Stored = 0, Name = 1, Size = 2, Date = 3 };
    /// Sorts `entries`: names in natural order (LM78 before LM317, case aside), the largest or newest first.
    static void sort(std::vector<Entry>& entries, Order order);

    /// Copies the file at `source` into `folder` (never moves it). The copy keeps the file's name, or gets
    /// " (2)", " (3)" … before its extension when the name is taken; it appears whole or not at all. Returns the
    /// name given, or "" with `error` filled.
    static std::string importFile(const std::string& folder, const std::string& source, std::string* error);
    /// Moves the entry to the desktop's trash (`gio trash`); where there is none, deletes it for good.
    static bool deleteEntry(const std::string& folder, const std::string& name, std::string* error);
    /// Whether deleting moves entries to a trash (false: they are deleted for good).
    static bool hasTrash();
    /// Renames an entry; refuses an empty or hidden name, a "/", and a name already taken.
    static bool renameEntry(const std::string& folder, const std::string& from, const std::string& to,
                            std::string* error);
    /// "12 bytes", "3.4 KB", "1.2 MB" …
    static std::string sizeText(std::int64_t bytes);
};
