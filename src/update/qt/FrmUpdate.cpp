#include "update/qt/FrmUpdate.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "frontend/qt/Accessibility.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/Palette.h"
#include "frontend/qt/QtText.h"
#include "info/LinkLauncher.h"
#include "info/Version.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "update/UpdateWindowControls.h"
#include "update/UpdateWindowSteps.h"

namespace kelvora {

frmUpdate::frmUpdate(AppServices& services, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      services_(services) {
    buildControls();
    QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr)
        move(screen->geometry().center() - rect().center());

    Timer1_.setInterval(updatewindow::kCheckDelayMs);
    Timer2_.setInterval(updatewindow::kProgressStepMs);
    connect(&Timer1_, &QTimer::timeout, this, &frmUpdate::Timer1_Timer);
    connect(&Timer2_, &QTimer::timeout, this, &frmUpdate::Timer2_Timer);
    connect(cmdCanc_, &QPushButton::clicked, this, &frmUpdate::cmdCanc_Click);
    Timer1_.start();
    Timer2_.start();
}

frmUpdate::~frmUpdate() {
    downloader_.cancel();
}

void frmUpdate::buildControls() {
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setFont(windowFont());
    setFixedSize(kUpdateClientWidth, kUpdateClientHeight);
    setCursor(Qt::WaitCursor);

    const ControlTable table = updateWindowControls();
    lblInfo_ = placeControl(new QLabel(this), table, "lblInfo");
    applyCaption(lblInfo_, services_.strings, table);
    lblInfo_->setTextFormat(Qt::PlainText);

    PB1_ = placeControl(new QProgressBar(this), table, "PB1");
    PB1_->setRange(0, updatewindow::kProgressFull);
    PB1_->setValue(0);
    PB1_->setTextVisible(false);
    // The bar fills in the memory gauge's colour, as the Win32 window's does, not the style's highlight.
    QPalette bar = PB1_->palette();
    bar.setColor(QPalette::Highlight, toQColor(palette::kGauge));
    PB1_->setPalette(bar);

    cmdCanc_ = placeControl(new QPushButton(this), table, "cmdCanc");
    applyCaption(cmdCanc_, services_.strings, table);
    applyAccessibleNames(this, services_.strings);
}

void frmUpdate::Timer1_Timer() {
    Timer1_.stop();
    runCheck();
}

void frmUpdate::Timer2_Timer() {
    if (updatewindow::progressDone(PB1_->value())) {
        Timer2_.stop();
        return;
    }
    PB1_->setValue(updatewindow::progressAfterTick(PB1_->value()));
}

void frmUpdate::cmdCanc_Click() {
    Timer1_.stop();
    Timer2_.stop();
    close();
}

// Escape closes the window exactly like Cancel, so the check cannot go on behind a hidden window.
void frmUpdate::reject() {
    close();
}

// A closed window waiting for its check to unwind is never shown again; the next opening makes a new one.
void frmUpdate::setVisible(bool visible) {
    if (visible && closing_)
        return;
    QDialog::setVisible(visible);
}

void frmUpdate::closeEvent(QCloseEvent* event) {
    Timer1_.stop();
    Timer2_.stop();
    closing_ = true;
    downloader_.cancel();
    event->accept();
    // While the check is still on the stack the window is destroyed once that check has returned.
    if (!checking_)
        deleteLater();
}

void frmUpdate::runCheck() {
    checking_ = true;
    LinkLauncher links(services_.registry, services_.shell, services_.files, services_.vendorUrl);
    runUpdateCheck(
        CheckVariant::OnDemand, services_.strings, services_.vendorUrl, programVersionText(),
        [this](const std::string& page, std::string& returnTo) { return downloader_.Pobierz(page, returnTo); },
        [&links] { links.OpenUpdatePage(); }, *this);
    checking_ = false;
    if (closing_)
        deleteLater();
}

bool frmUpdate::askYesNo(const std::string& text) {
    return dialogs_.askYesNo(this, uiText(text));
}

void frmUpdate::showInformation(const std::string& text) {
    dialogs_.inform(this, uiText(text));
}

bool frmUpdate::closing() const {
    return closing_ || downloader_.abandoned();
}

void frmUpdate::closeWindow() {
    close();
}

} // namespace kelvora
