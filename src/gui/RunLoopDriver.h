#pragma once
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

class RunLoop;

/// Drives the app's run loop from Qt's event loop on the one GUI thread: the epoll descriptor wakes Qt through a
/// socket notifier, and the next run-loop deadline is kept armed as a single-shot timer.
class RunLoopDriver : public QObject {
    Q_OBJECT
public:
    explicit RunLoopDriver(RunLoop& loop, QObject* parent = nullptr);
    ~RunLoopDriver() override;

private:
    void turn();
    void arm();

    RunLoop& loop_;
    QSocketNotifier notifier_;
    QTimer timer_;
};
