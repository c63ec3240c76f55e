#pragma once
#include <QObject>
#include <optional>

/// Keeps the desktop's screen saver and screen lock away while asked to, through the freedesktop screen-saver
/// service on the session bus (Inhibit / UnInhibit). Where there is no session bus or no such service it does
/// nothing but log once. Calls never block: the cookie arrives asynchronously and a release asked for in the
/// meantime is honoured when it does.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    static ScreenSaverInhibitor& shared();

    /// Inhibits (true) or releases (false); repeated calls with the same value do nothing more.
    void setInhibited(bool inhibited);
    /// Whether an inhibition is held by the desktop right now.
    bool isHeld() const { return cookie_.has_value(); }

private:
    void request();
    void release();

    bool wanted_ = false;
    bool requesting_ = false;
    bool warned_ = false;
    std::optional<uint> cookie_;
};
