#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "frontend/AppServices.h"

namespace kelvora {

class ShellActions;
class SingleInstance;
class StringTable;
class frmMain;
class frmSplash;

// The way from process start to a usable main window: language, single instance, splash, main window.
class AppStartup : public QObject {
    Q_OBJECT
public:
    AppStartup(AppServices& services, StringTable& table, SingleInstance& instance, ShellActions& actions);
    ~AppStartup() override;

    // Loads the language, claims the single instance and shows the splash. False when another instance runs:
    // its message has been shown and nothing else happened.
    bool start();

    frmSplash* splash() const;
    frmMain* mainWindow() const { return main_.get(); }

signals:
    // The main window is loaded and shown.
    void mainWindowShown();
    // The main window was closed; the program is over.
    void finished();

private:
    void loadMainWindow();

    AppServices& services_;
    StringTable& table_;
    SingleInstance& instance_;
    ShellActions& actions_;
    QPointer<frmSplash> splash_;
    std::unique_ptr<frmMain> main_;
};

} // namespace kelvora
