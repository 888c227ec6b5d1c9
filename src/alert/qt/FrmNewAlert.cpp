#include "alert/qt/FrmNewAlert.h"

#include "alert/AlertControls.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/qt/QtText.h"
#include "frontend/qt/WrapLabel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace kelvora {
namespace {

constexpr int kTwipsPerPixel = 15;
const QColor kHeaderBand = toQColor(palette::kAlertHeader);

int toPixels(int twips) {
    return qRound(static_cast<double>(twips) / kTwipsPerPixel);
}

QSize screenTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize pixels = screen != nullptr ? screen->geometry().size() : QSize(0, 0);
    return pixels * kTwipsPerPixel;
}

// The popup's texts lie over its header and background; a wrapped message advances its lines like the system's.
QLabel* makeLabel(QWidget* parent, const char* name) {
    return placeControl(new WrapLabel(parent), alertControls(), name);
}

} // namespace

frmNewAlert::frmNewAlert()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      motion_(screenTwips().width(), screenTwips().height()) {
    setObjectName(QStringLiteral("frmNewAlert"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(toPixels(AlertMotion::kWidthTwips), toPixels(AlertMotion::kHeightTwips));
    QPalette background = palette();
    background.setColor(QPalette::Window, toQColor(palette::kWindow));
    setPalette(background);
    setAutoFillBackground(true);

    QLabel* header = makeLabel(this, "Label1");
    header->setText(QStringLiteral("Kelvora"));
    QPalette white = header->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    header->setPalette(white);

    lblTitle_ = makeLabel(this, "lblTitle");
    lblTitle_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblAlert_ = makeLabel(this, "lblAlert");
    lblAlert_->setText(QStringLiteral("Your text here"));

    placeWindow();
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &frmNewAlert::onTimer);
    timer_.start(motion_.intervalMs());
}

void frmNewAlert::setTitle(const QString& title) {
    lblTitle_->setText(title);
}

void frmNewAlert::setMessage(const QString& message) {
    lblAlert_->setText(message);
}

void frmNewAlert::placeWindow() {
    move(toPixels(motion_.left()), toPixels(motion_.top()));
}

void frmNewAlert::onTimer() {
    motion_.tick();
    placeWindow();
    if (motion_.phase() == AlertMotion::Phase::Finished) {
        timer_.stop();
        close();
        return;
    }
    if (timer_.interval() != motion_.intervalMs())
        timer_.start(motion_.intervalMs());
}

void frmNewAlert::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The header band lies partly outside the window on the left and top.
    painter.fillRect(QRect(-8, -2, 235, 35), kHeaderBand);
    const QColor ink = palette().color(QPalette::WindowText);
    painter.setPen(QPen(ink, 1, Qt::DotLine));
    painter.drawLine(0, 32, 184, 32);
    painter.setPen(QPen(ink, 1, Qt::SolidLine));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

} // namespace kelvora
