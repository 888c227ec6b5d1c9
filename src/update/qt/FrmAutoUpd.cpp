#include <QCloseEvent>

#include "frontend/qt/QtText.h"
#include "info/LinkLauncher.h"
#include "info/Version.h"
#include "update/UpdateWindowSteps.h"
#include "update/qt/FrmUpdate.h"

namespace kelvora {
namespace {

constexpr int kOffScreenLeft = -40000 / 15;

} // namespace

frmAutoUpd::frmAutoUpd(AppServices& services)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), services_(services) {
    setObjectName(QStringLiteral("frmAutoUpd"));
    // Never shown: no size, off the screen, and never counted as a window that keeps the program running.
    setAttribute(Qt::WA_DontShowOnScreen);
    setAttribute(Qt::WA_QuitOnClose, false);
    setGeometry(kOffScreenLeft, 0, 0, 0);

    Timer1_.setInterval(updatewindow::kSilentCheckDelayMs);
    connect(&Timer1_, &QTimer::timeout, this, &frmAutoUpd::Timer1_Timer);
    Timer1_.start();
}

frmAutoUpd::~frmAutoUpd() {
    downloader_.cancel();
}

void frmAutoUpd::Timer1_Timer() {
    // Stopped before the download starts, so no second check can begin inside the wait.
    Timer1_.stop();
    checking_ = true;
    LinkLauncher links(services_.registry, services_.shell, services_.files, services_.vendorUrl);
    runUpdateCheck(
        CheckVariant::Silent, services_.strings, services_.vendorUrl, programVersionText(),
        [this](const std::string& page, std::string& returnTo) { return downloader_.Pobierz(page, returnTo); },
        [&links] { links.OpenUpdatePage(); }, *this);
    checking_ = false;
    deleteLater();
}

void frmAutoUpd::closeEvent(QCloseEvent* event) {
    Timer1_.stop();
    closing_ = true;
    downloader_.cancel();
    event->accept();
    if (!checking_)
        deleteLater();
}

bool frmAutoUpd::askYesNo(const std::string& text) {
    return dialogs_.askYesNo(nullptr, uiText(text));
}

// The silent check reports nothing but a newer version.
void frmAutoUpd::showInformation(const std::string&) {}

bool frmAutoUpd::closing() const {
    return closing_ || downloader_.abandoned();
}

void frmAutoUpd::closeWindow() {
    closing_ = true;
}

} // namespace kelvora
