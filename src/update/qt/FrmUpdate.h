#pragma once

#include <QDialog>
#include <QTimer>
#include <QWidget>

#include "frontend/AppServices.h"
#include "update/UpdateCheck.h"
#include "update/qt/UpdateDialogs.h"
#include "update/qt/UpdateDownloader.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kelvora {

// The update check on demand: progress bar, Cancel, one check, always a reported outcome. Closes itself.
class frmUpdate : public QDialog, private UpdateView {
    Q_OBJECT
public:
    frmUpdate(AppServices& services, QWidget* owner);
    ~frmUpdate() override;

    void setDialogs(UpdateDialogs dialogs) { dialogs_ = std::move(dialogs); }

    void Timer1_Timer();
    void Timer2_Timer();
    void cmdCanc_Click();
    void reject() override;
    void setVisible(bool visible) override;
    // Closed, though perhaps still unwinding its check; it will never be shown again.
    bool isClosing() const { return closing_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void runCheck();
    bool askYesNo(const std::string& text) override;
    void showInformation(const std::string& text) override;
    bool closing() const override;
    void closeWindow() override;

    AppServices& services_;
    UpdateDialogs dialogs_ = UpdateDialogs::messageBoxes();
    QLabel* lblInfo_ = nullptr;
    QProgressBar* PB1_ = nullptr;
    QPushButton* cmdCanc_ = nullptr;
    QTimer Timer1_;
    QTimer Timer2_;
    bool checking_ = false;
    bool closing_ = false;
    UpdateDownloader downloader_;
};

// The silent check: never shown; checks once and closes itself, speaking only when a newer version exists.
class frmAutoUpd : public QWidget, private UpdateView {
    Q_OBJECT
public:
    explicit frmAutoUpd(AppServices& services);
    ~frmAutoUpd() override;

    void setDialogs(UpdateDialogs dialogs) { dialogs_ = std::move(dialogs); }

    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool askYesNo(const std::string& text) override;
    void showInformation(const std::string& text) override;
    bool closing() const override;
    void closeWindow() override;

    AppServices& services_;
    UpdateDialogs dialogs_ = UpdateDialogs::messageBoxes();
    QTimer Timer1_;
    bool checking_ = false;
    bool closing_ = false;
    UpdateDownloader downloader_;
};

} // namespace kelvora
