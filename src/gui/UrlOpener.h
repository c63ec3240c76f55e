#pragma once
#include <QString>
#include <string>

/// Hands addresses to the desktop. QDesktopServices reports success as soon as it has started xdg-open, also when
/// nothing on the desktop takes the address, so an address of a scheme other than the web's and files' (such as
/// the software centre's appstream:) is opened only when the desktop has a handler registered for it, and a file
/// only when a program is registered for its type.
class UrlOpener {
public:
    /// Whether the address was handed to a program that takes it.
    static bool open(const std::string& url);
    /// Whether the desktop names a default handler for `scheme` (x-scheme-handler/SCHEME, as xdg-mime tells it);
    /// true when that cannot be asked, leaving the answer to the opener.
    static bool hasHandler(const QString& scheme);
    /// Whether the desktop names a default program for the type of the file at `path`; true when that cannot
    /// be asked.
    static bool hasFileHandler(const QString& path);
};
