#pragma once

#include <QElapsedTimer>
#include <QTest>
#include <functional>

namespace kelvora::test {

// Runs the event loop until `done` holds or `timeoutMs` has passed; whether it held.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace kelvora::test
