#include "app/ShellController.h"

#include "app/ShellLogic.h"
#include "app/ShellTimings.h"
#include "info/Version.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"

namespace kelvora {

namespace {

constexpr int kSlotVersion = 119;
constexpr int kSlotLanguageSaved = 220;

} // namespace

ShellController::ShellController(AppServices& services, ShellView& view, ShellTimers& timers)
    : services_(services), view_(view), timers_(timers),
      links_(services.registry, services.shell, services.files, services.vendorUrl) {}

void ShellController::load() {
    view_.fillLanguages(kLanguageNames, languageIndex(readCurLang(services_.registry)));
    view_.applyTexts();
    // From here the first failure ends the initialisation; the window is shown all the same.
    try {
        view_.setVersionText(services_.strings[kSlotVersion] + " " + programVersionText());
        view_.setMemoryDefaults();
        timers_.start(ShellTimer::Global, mainwindow::kGlobalTickMs);
        globalTimerRunning_ = true;
        view_.setCpuDefaults();
    } catch (...) {
    }
    view_.yieldToEvents();
    view_.yieldToEvents();
    view_.showWindow();
}

void ShellController::afterSplash() {
    load();
    timers_.start(ShellTimer::AutoUpdate, mainwindow::kAutoUpdateDelayMs);
    view_.showWindow();
}

void ShellController::unload() {
    view_.releaseMemoryBlocks();
    timers_.stop(ShellTimer::Global);
    globalTimerRunning_ = false;
    timers_.stop(ShellTimer::AutoUpdate);
    view_.closeOwnedWindows();
}

void ShellController::onTimer(ShellTimer timer) {
    if (timer == ShellTimer::AutoUpdate) {
        // Fires once: the hidden update window is loaded at most once per run.
        timers_.stop(ShellTimer::AutoUpdate);
        view_.loadAutoUpdate();
        return;
    }
    const MainTicker::Due due = ticker_.tick();
    if (due.refreshPanel)
        view_.postPanelRefresh();
    if (due.checkPriority)
        view_.updateForegroundPriority();
    else
        view_.retryHeldPriorityChanges();
}

void ShellController::panelRefreshPosted() {
    // The unload stops the timer; a refresh still queued then must not start a release.
    if (globalTimerRunning_)
        view_.refreshMemoryPanel();
}

void ShellController::activate(const navigation::Item& item) {
    run(item.command, item.page);
}

void ShellController::menuChosen(const navigation::MenuItem& item) {
    run(item.command, -1);
}

void ShellController::run(navigation::Command command, int page) {
    switch (command) {
    case navigation::Command::ShowPage:
        view_.showPage(page);
        break;
    case navigation::Command::ShowAbout:
        view_.showAbout();
        break;
    case navigation::Command::EndProgram:
        view_.endProgram();
        break;
    case navigation::Command::ShowUpdate:
        view_.showUpdate();
        break;
    case navigation::Command::OpenReadme:
        links_.OpenReadme();
        break;
    case navigation::Command::OpenLicence:
        links_.OpenLicenseDocument();
        break;
    case navigation::Command::OpenHomePage:
        links_.OpenHomePage();
        break;
    case navigation::Command::None:
        break;
    }
}

void ShellController::openForum() {
    links_.OpenForum();
}

void ShellController::save() {
    view_.messageBox(services_.strings[kSlotLanguageSaved], MessageIcon::Information);
    // The box above came first; a store that failed is not left looking like a success.
    if (!saveCurLang(services_.registry, view_.selectedLanguage()))
        view_.messageBox(kLanguageSaveError, MessageIcon::Error);
}

void ShellController::showBar(int bar, bool byCue) {
    barShownByCue_ = byCue && bar >= 0;
    if (bar == shownBar_)
        return;
    shownBar_ = bar;
    view_.showHoverBar(bar);
}

void ShellController::pointerOverItem(const navigation::Item& item) {
    if (item.hoverBar >= 0)
        showBar(item.hoverBar, false);
}

void ShellController::pointerOver(PointerPlace place) {
    // Only the bare background hides the bars; pictures, pages and their controls keep the last one.
    if (place == PointerPlace::BareBackground)
        showBar(-1, false);
}

void ShellController::focusEntered(const navigation::Item& item, navigation::FocusReason reason) {
    if (!navigation::showsFocusCue(reason))
        return;
    if (item.hoverBar < 0)
        view_.setUnderlined(item.control, true);
    else
        showBar(item.hoverBar, true);
}

void ShellController::focusLeft(const navigation::Item& item) {
    if (item.hoverBar < 0) {
        view_.setUnderlined(item.control, false);
        return;
    }
    // A cue takes away only the bar it showed itself; a bar the pointer has shown since stays.
    if (barShownByCue_ && shownBar_ == item.hoverBar)
        showBar(-1, false);
}

} // namespace kelvora
