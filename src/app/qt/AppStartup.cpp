#include "app/qt/AppStartup.h"

#include "app/qt/ShellActions.h"
#include "app/qt/frmMain.h"
#include "app/qt/frmSplash.h"
#include "frontend/qt/QtText.h"
#include "app/ProgramStart.h"

namespace kelvora {

AppStartup::AppStartup(AppServices& services, StringTable& table, SingleInstance& instance, ShellActions& actions)
    : services_(services), table_(table), instance_(instance), actions_(actions) {}

AppStartup::~AppStartup() {
    delete splash_.data();
}

frmSplash* AppStartup::splash() const {
    return splash_;
}

bool AppStartup::start() {
    if (!beginProgram(services_.registry, services_.files, table_, instance_,
                      [this](const std::string& text) { actions_.errorBox(nullptr, uiText(text)); }))
        return false;

    splash_ = new frmSplash(table_);
    connect(splash_, &frmSplash::finished, this, &AppStartup::loadMainWindow);
    splash_->Form_Load();
    return true;
}

void AppStartup::loadMainWindow() {
    main_ = std::make_unique<frmMain>(services_, actions_);
    connect(main_.get(), &frmMain::unloaded, this, &AppStartup::finished, Qt::QueuedConnection);
    main_->controller().afterSplash();
    emit mainWindowShown();
}

} // namespace kelvora
