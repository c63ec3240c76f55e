#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

class AlertView;

/// The application object: the device idiom, opening addresses, keeping the screen awake and showing alerts.
/// Front-ends install handlers; without them addresses open through xdg-open and alerts only wait in `alerts()`.
class Application {
public:
    enum class Idiom { Phone = 0, Pad = 1 };

    static Application& shared();

    Idiom userInterfaceIdiom() const { return idiom_; }
    void setUserInterfaceIdiom(Idiom idiom) { idiom_ = idiom; }

    /// Opens an address with the desktop's handler; false if it could not be handed over.
    bool openURL(const std::string& url);
    void setOpenURLHandler(std::function<bool(const std::string&)> handler) { openURL_ = std::move(handler); }

    /// Keeps the display awake (true) or lets it sleep again.
    void setIdleTimerDisabled(bool disabled);
    bool isIdleTimerDisabled() const { return idleDisabled_; }
    void setIdleTimerHandler(std::function<void(bool)> handler) { idleHandler_ = std::move(handler); }

    /// Alerts on screen, oldest first. The application owns them until a button is tapped.
    const std::vector<std::shared_ptr<AlertView>>& alerts() const { return alerts_; }
    void setAlertPresenter(std::function<void(const std::shared_ptr<AlertView>&)> p) { presenter_ = std::move(p); }
    void presentAlert(std::shared_ptr<AlertView> alert);
    void alertDismissed(AlertView* alert);

private:
    Idiom idiom_ = Idiom::Phone;
    bool idleDisabled_ = false;
    std::function<bool(const std::string&)> openURL_;
    std::function<void(bool)> idleHandler_;
    std::function<void(const std::shared_ptr<AlertView>&)> presenter_;
    std::vector<std::shared_ptr<AlertView>> alerts_;
};
