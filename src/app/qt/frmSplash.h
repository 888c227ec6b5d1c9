#pragma once

#include <QTimer>
#include <QWidget>

#include "app/ShellTimings.h"

class QLabel;

namespace kelvora {

class StringTable;

// The splash window: banner and rights notice in a thin frame without title bar, shown for three ticks of 300 ms.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(const StringTable& strings);

    // Sets the notice, starts tmrTime and shows the window centred on the screen.
    void Form_Load();

signals:
    // The third tick: the splash has unloaded itself and the main window is due.
    void finished();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void tmrTime_Timer();

    const StringTable& strings_;
    QLabel* Label2_ = nullptr;
    QTimer tmrTime_;
    splash::SplashClock clock_;
};

} // namespace kelvora
