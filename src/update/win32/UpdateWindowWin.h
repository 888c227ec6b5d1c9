#pragma once

#include <memory>

#include "frontend/AppServices.h"
#include "update/UpdateCheck.h"
#include "update/transfer/windows/WinHttpTransfer.h"
#include "win32ui/Window.h"

namespace kelvora {

// Fetches a page through WinHTTP while the windows keep running; notes when the program ends the wait.
class UpdateDownloaderWin : private EventYield {
public:
    UpdateDownloaderWin();
    ~UpdateDownloaderWin() override;
    bool Pobierz(const std::string& Page, std::string& ReturnTo);
    void cancel() { Inet_.Cancel(); }
    bool abandoned() const { return abandoned_; }

private:
    bool yield() override;

    WinHttpTransfer Inet_;
    HANDLE finished_;
    bool abandoned_ = false;
};

// One update check: on demand in its small window (progress bar, Cancel; it always reports), or silent without a
// window (it speaks only when a newer version exists).
class UpdateWindowWin : private UpdateView {
public:
    UpdateWindowWin(AppServices& services, CheckVariant variant);
    ~UpdateWindowWin() override;

    // The check on demand shows its window over `owner` and starts after a short delay; the silent one starts now,
    // its question over `owner`.
    bool start(HWND owner);
    void bringForward() const;
    // Cancel, Escape, the window's close and the main window's unload: the check ends at once.
    void cancel();
    // Over: closed or finished, and no check left on the stack.
    bool finished() const { return (closing_ || done_) && !checking_; }
    bool open() const { return !closing_ && !done_; }

private:
    void runCheck();
    void onTimer(UINT_PTR id);
    HWND boxOwner() const;

    bool askYesNo(const std::string& text) override;
    void showInformation(const std::string& text) override;
    bool closing() const override;
    void closeWindow() override;

    AppServices& services_;
    CheckVariant variant_;
    HWND owner_ = nullptr;
    win32::Window window_;
    win32::Gauge* progressBar_ = nullptr;
    UpdateDownloaderWin downloader_;
    int progress_ = 0;
    bool checking_ = false;
    bool closing_ = false;
    bool done_ = false;
};

} // namespace kelvora
