#pragma once

#include <QTimer>
#include <QWidget>

#include "alert/AlertMotion.h"

class QLabel;

namespace kelvora {

// The notification popup: slides up at the bottom-right corner, rests, slides away and destroys itself.
class frmNewAlert : public QWidget {
    Q_OBJECT
public:
    frmNewAlert();

    void setTitle(const QString& title);
    void setMessage(const QString& message);
    const AlertMotion& motion() const { return motion_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void onTimer();
    void placeWindow();

    AlertMotion motion_;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblAlert_ = nullptr;
    QTimer timer_;
};

} // namespace kelvora
