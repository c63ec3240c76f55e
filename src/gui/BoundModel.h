#pragma once
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

/// A widget's hold on the model it draws itself (a QR code, a part's bands): the model tells the widget of each
/// change while both live and no other observer has taken the model's one place; the hold lets go of the
/// model when the widget goes. Keep it as a member of the widget.
template <typename M>
class BoundModel {
public:
    BoundModel() = default;
    BoundModel(const BoundModel&) = delete;
    BoundModel& operator=(const BoundModel&) = delete;
    ~BoundModel() { release(); }

    /// Follows `model` (nullptr: none), calling `changed` now and after each change of it while `owner` lives.
    void bind(M* model, QObject* owner, std::function<void()> changed) {
        release();
        model_ = model;
        if (!model_) return;
        auto token = std::make_shared<int>(0);
        token_ = token;
        QPointer<QObject> guard(owner);
        model_->setChangeObserver([guard, token, changed] {
            if (guard) changed();
        });
        changed();
    }
    M* operator->() const { return model_; }
    /// Whether the model still tells this hold of its changes (it may have been unbound or destroyed since).
    bool isFollowing() const { return !token_.expired(); }
    explicit operator bool() const { return model_ != nullptr; }

private:
    // The token dies with our observer, so an observer put in our place is never removed by us.
    void release() {
        if (!token_.expired()) model_->setChangeObserver(nullptr);
        token_.reset();
    }

    M* model_ = nullptr;
    std::weak_ptr<int> token_;
};
