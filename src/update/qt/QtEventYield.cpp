#include "update/qt/QtEventYield.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace kelvora {
namespace {

// Distinguishes our own wake-up from the application asking every event loop to end (which passes 0).
constexpr int kWoken = 1;

} // namespace

QtEventYield::QtEventYield(QObject* parent) : QObject(parent) {}

bool QtEventYield::yield() {
    if (pendingWake_) {
        pendingWake_ = false;
        QCoreApplication::processEvents();
        return true;
    }
    QEventLoop loop;
    loop_ = &loop;
    const int result = loop.exec();
    loop_ = nullptr;
    return result == kWoken;
}

void QtEventYield::wake() {
    QMetaObject::invokeMethod(this, &QtEventYield::onWake, Qt::QueuedConnection);
}

void QtEventYield::onWake() {
    if (loop_ != nullptr)
        loop_->exit(kWoken);
    else
        pendingWake_ = true;
}

} // namespace kelvora
