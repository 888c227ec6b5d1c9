#include "app/qt/AppStartup.h"

#include "app/qt/ShellActions.h"
#include "app/qt/frmMain.h"
#include "app/qt/frmSplash.h"
#include "frontend/qt/QtText.h"
#include "platform/SingleInstance.h"
#include "settings/Language.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"

namespace kelvora {

namespace {
constexpr int kSlotAlreadyRunning = 101;
}

AppStartup::AppStartup(AppServices& services, StringTable& table, SingleInstance& instance, ShellActions& actions)
    : services_(services), table_(table), instance_(instance), actions_(actions) {}

AppStartup::~AppStartup() {
    delete splash_.data();
}

frmSplash* AppStartup::splash() const {
    return splash_;
}

bool AppStartup::start() {
    LoadLanguage(services_.registry, services_.files, table_,
                 [this](const std::string& text) { actions_.errorBox(nullptr, QString::fromStdString(text)); });

    // Test and claim in one step, so two copies started together cannot both pass.
    if (!instance_.claim(kAppTitle)) {
        actions_.errorBox(nullptr, uiText(table_[kSlotAlreadyRunning]));
        return false;
    }

    splash_ = new frmSplash(table_);
    connect(splash_, &frmSplash::finished, this, &AppStartup::loadMainWindow);
    splash_->Form_Load();
    return true;
}

void AppStartup::loadMainWindow() {
    main_ = std::make_unique<frmMain>(services_, actions_);
    connect(main_.get(), &frmMain::unloaded, this, &AppStartup::finished, Qt::QueuedConnection);
    main_->Form_Load();
    main_->enableTimer3();
    main_->show();
    emit mainWindowShown();
}

} // namespace kelvora
