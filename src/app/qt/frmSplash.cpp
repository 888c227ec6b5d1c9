#include "app/qt/frmSplash.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "app/MainWindowControls.h"
#include "app/ShellTimings.h"
#include "app/qt/ShellWidgets.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/qt/QtText.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"

namespace kelvora {

namespace {

constexpr QSize kClientSize(splash::kClientWidth, splash::kClientHeight);
constexpr int kFrameWidth = splash::kFrameWidth;

} // namespace

frmSplash::frmSplash(const StringTable& strings)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), strings_(strings) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QString::fromUtf8(kAppTitle));
    setFixedSize(kClientSize + QSize(2 * kFrameWidth, 2 * kFrameWidth));
    setFont(windowFont());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(palette::kWindow));
    pal.setColor(QPalette::WindowText, toQColor(palette::kText));
    setPalette(pal);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setGeometry(QRect(QPoint(kFrameWidth, kFrameWidth), kClientSize));

    auto* image39 = new PictureBox(QStringLiteral(":/images/banner.png"), PictureBox::Fit::Natural,
                                   QString::fromUtf8(kAppTitle), client);
    placeControl(image39, splashControls(), "Image39");
    image39->setCursor(Qt::WaitCursor);

    auto* line2 = placeControl(new QFrame(client), splashControls(), "Line2");
    setSolidBackground(line2, palette::kRule);

    Label2_ = placeControl(new QLabel(client), splashControls(), "Label2");
    Label2_->setTextFormat(Qt::PlainText);
    Label2_->setCursor(Qt::WaitCursor);

    tmrTime_.setInterval(splash::kTickMs);
    connect(&tmrTime_, &QTimer::timeout, this, &frmSplash::tmrTime_Timer);
}

void frmSplash::Form_Load() {
    applyCaption(Label2_, strings_, splashControls());
    Label2_->setAccessibleName(Label2_->text());
    tmrTime_.setInterval(splash::kTickMs);
    tmrTime_.start();
    clock_.restart();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void frmSplash::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(toQColor(palette::kSplashFrameOuter));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(toQColor(palette::kSplashFrameInner));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}

void frmSplash::tmrTime_Timer() {
    if (!clock_.tick())
        return;
    tmrTime_.stop();
    close();
    emit finished();
}

} // namespace kelvora
