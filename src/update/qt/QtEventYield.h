#pragma once

#include <QObject>

#include "update/transfer/HttpTransfer.h"

class QEventLoop;

namespace kelvora {

// Waits in a nested event loop that sleeps until wake() is called (from any thread), so a pending request
// costs no CPU while timers, repaints and clicks go on being handled.
class QtEventYield : public QObject, public EventYield {
    Q_OBJECT
public:
    explicit QtEventYield(QObject* parent = nullptr);

    bool yield() override;
    // Thread-safe: ends the current (or the next) yield.
    void wake();

private:
    void onWake();

    QEventLoop* loop_ = nullptr;
    bool pendingWake_ = false;
};

} // namespace kelvora
