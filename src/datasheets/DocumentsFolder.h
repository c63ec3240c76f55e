#pragma once
#include <string>
#include <vector>

/// The datasheet store's one storage root (the user's documents folder, which the FTP server serves as "/") and
/// the few file questions the datasheet screens ask of it. No state of its own; nothing throws.
class DocumentsFolder {
public:
    DocumentsFolder() = delete;

    /// Absolute path of the documents folder, without a trailing separator (see `documentsDirectory`).
    static std::string path();
    /// Full path of the entry `name` inside the folder: the folder and the name joined by "/", as given.
    static std::string pathForName(const std::string& name);
    /// The entry names of `directory` in the order the file system enumerates them, "." and ".." left out;
    /// sub-folders and hidden entries included. Empty when the folder cannot be read, and then `whyUnreadable`
    /// (if given) says why in the system's words; it is emptied when the folder can be read.
    static std::vector<std::string> contentsOfDirectoryAtPath(const std::string& directory,
                                                              std::string* whyUnreadable = nullptr);
    /// "file://" and the absolute path, every byte outside the unreserved set and "/" percent-encoded, so names
    /// with blanks and non-ASCII letters make a valid address.
    static std::string fileURLWithPath(const std::string& absolutePath);
};
