#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ShellController.h"
#include "settings/LanguageSetting.h"
#include "support/FakePlatform.h"

namespace kelvora {
namespace {

// A main window that writes down what it was asked, in order; the hover bar shown is its only state.
struct FakeView : ShellView {
    void showPage(int page) override { log.push_back("page " + std::to_string(page)); }
    void showHoverBar(int bar) override { shownBar = bar; }
    void setUnderlined(const char* control, bool on) override { log.push_back(std::string(on ? "+" : "-") + control); }
    void showAbout() override { log.push_back("about"); }
    void showUpdate() override { log.push_back("update"); }
    void loadAutoUpdate() override { log.push_back("auto update"); }
    void closeOwnedWindows() override { log.push_back("close owned"); }
    void messageBox(const std::string& text, MessageIcon icon) override {
        log.push_back(std::string(icon == MessageIcon::Error ? "error " : "info ") + text);
        if (whileBoxShown)
            whileBoxShown();
    }
    void endProgram() override { log.push_back("end"); }
    void fillLanguages(const std::array<const char*, 3>&, int selected) override {
        log.push_back("languages " + std::to_string(selected));
    }
    std::string selectedLanguage() const override { return language; }
    void applyTexts() override { log.push_back("texts"); }
    void setVersionText(const std::string& text) override { log.push_back("version " + text); }
    void yieldToEvents() override { log.push_back("yield"); }
    void showWindow() override { log.push_back("show"); }
    void postPanelRefresh() override { ++postedRefreshes; }
    void setMemoryDefaults() override {
        if (failMemoryDefaults)
            throw std::runtime_error("no memory page");
        log.push_back("memory defaults");
    }
    void refreshMemoryPanel() override { log.push_back("refresh"); }
    void releaseMemoryBlocks() override { log.push_back("release blocks"); }
    void setCpuDefaults() override { log.push_back("cpu defaults"); }
    void updateForegroundPriority() override { ++priorityChecks; }
    void retryHeldPriorityChanges() override { ++retries; }

    std::vector<std::string> log;
    std::function<void()> whileBoxShown;
    std::string language = "Polish";
    bool failMemoryDefaults = false;
    int shownBar = -1;
    int postedRefreshes = 0;
    int priorityChecks = 0;
    int retries = 0;
};

// Timers on a clock the test advances a millisecond at a time.
struct FakeTimers : ShellTimers {
    struct Running {
        int interval;
        long due;
    };
    void start(ShellTimer timer, int intervalMs) override {
        running[timer] = {intervalMs, now + intervalMs};
        view->log.push_back("start " + std::to_string(intervalMs));
    }
    void stop(ShellTimer timer) override {
        if (running.erase(timer) != 0)
            view->log.push_back("stop " + std::to_string(static_cast<int>(timer)));
    }
    void advance(long ms) {
        for (long end = now + ms; now < end;) {
            ++now;
            for (ShellTimer timer : {ShellTimer::Global, ShellTimer::AutoUpdate}) {
                auto found = running.find(timer);
                if (found == running.end() || found->second.due > now)
                    continue;
                found->second.due += found->second.interval;
                controller->onTimer(timer);
            }
        }
    }
    std::map<ShellTimer, Running> running;
    long now = 0;
    FakeView* view = nullptr;
    ShellController* controller = nullptr;
};

class ShellControllerTest : public ::testing::Test {
protected:
    ShellControllerTest() {
        timers.view = &view;
        timers.controller = &controller;
    }
    std::vector<std::string> takeLog() { return std::exchange(view.log, {}); }

    test::FakePlatform platform;
    FakeView view;
    FakeTimers timers;
    ShellController controller{platform.services, view, timers};
};

using Log = std::vector<std::string>;

TEST_F(ShellControllerTest, StartUpLoadsInOrderThenLoadsTheHiddenUpdateWindowOnceASecondLater) {
    platform.strings.set(119, "Version:");
    ASSERT_TRUE(saveCurLang(platform.registry, "Deutsch"));
    controller.afterSplash();
    EXPECT_EQ(takeLog(), (Log{"languages 2", "texts", "version Version: 2.40", "memory defaults", "start 100",
                              "cpu defaults", "yield", "yield", "show", "start 1000", "show"}));
    timers.advance(999);
    EXPECT_EQ(takeLog(), Log{});
    timers.advance(3000);
    EXPECT_EQ(takeLog(), (Log{"stop 1", "auto update"}));

    // The first failure after the captions skips the rest of the load; the window shows all the same.
    FakeView failing;
    failing.failMemoryDefaults = true;
    FakeTimers idle;
    idle.view = &failing;
    ShellController second(platform.services, failing, idle);
    second.load();
    EXPECT_EQ(failing.log, (Log{"languages 2", "texts", "version Version: 2.40", "yield", "yield", "show"}));
    EXPECT_FALSE(second.globalTimerRunning());
}

TEST_F(ShellControllerTest, TheTickRefreshesEveryEleventhOrSixthDuringAReleaseAndChecksPriorityEveryTwentyFirst) {
    controller.load();
    takeLog();
    std::vector<int> refreshTicks;
    std::vector<int> checkTicks;
    for (int tick = 1; tick <= 66; ++tick) {
        const int refreshes = view.postedRefreshes;
        const int checks = view.priorityChecks;
        if (tick == 34)
            controller.ticker().PanelRefreshTicks = 5; // a release has begun and refreshes more often
        timers.advance(100);
        if (view.postedRefreshes != refreshes)
            refreshTicks.push_back(tick);
        if (view.priorityChecks != checks)
            checkTicks.push_back(tick);
    }
    EXPECT_EQ(refreshTicks, (std::vector<int>{11, 22, 33, 39, 45, 51, 57, 63}));
    EXPECT_EQ(checkTicks, (std::vector<int>{21, 42, 63}));
    EXPECT_EQ(view.retries, 66 - 3) << "every other tick retries the held changes";
    EXPECT_EQ(takeLog(), Log{}) << "the tick only posts the refresh; it runs as an event of its own";
    controller.panelRefreshPosted();
    EXPECT_EQ(takeLog(), Log{"refresh"});
}

TEST_F(ShellControllerTest, UnloadFreesTheBlocksStopsTheTimersAndClosesOwnedWindowsSoNoQueuedRefreshRuns) {
    controller.afterSplash();
    timers.advance(500); // within the second before the silent check
    takeLog();
    controller.unload();
    EXPECT_EQ(takeLog(), (Log{"release blocks", "stop 0", "stop 1", "close owned"}));
    controller.panelRefreshPosted(); // one queued before the close
    timers.advance(5000);
    EXPECT_EQ(takeLog(), Log{});
    EXPECT_FALSE(controller.globalTimerRunning());
}

TEST_F(ShellControllerTest, NavigationItemsAndMenuItemsRunTheirCommands) {
    std::vector<std::string> expected{"page 0", "page 1", "page 2", "page 3", "about", "end", "update", "update"};
    for (const navigation::Item& item : navigation::kItems)
        controller.activate(item);
    EXPECT_EQ(takeLog(), expected);

    for (const navigation::MenuItem& item : navigation::kMenuItems)
        controller.menuChosen(item);
    EXPECT_EQ(takeLog(), (Log{"end", "update", "about"}));
    // Readme, licence, home page and forum open through the shell in the stored language.
    ASSERT_TRUE(saveCurLang(platform.registry, "English"));
    for (const navigation::MenuItem& item : navigation::kMenuItems)
        if (item.command != navigation::Command::EndProgram)
            controller.menuChosen(item);
    controller.openForum();
    EXPECT_EQ(platform.shell.opened.size(), 4u);
}

TEST_F(ShellControllerTest, OnlyTheBareBackgroundHidesABarAndACueTakesAwayOnlyTheBarItShowed) {
    auto item = [](const char* name) -> const navigation::Item& { return *navigation::findItem(name); };
    using navigation::FocusReason;
    struct Step {
        std::function<void()> event;
        int barAfter;
        const char* what;
    };
    const Step steps[] = {
        {[&] { controller.pointerOverItem(item("Label3")); }, 0, "pointer on Label3"},
        {[&] { controller.pointerOver(PointerPlace::Other); }, 0, "onto a page and its controls"},
        {[&] { controller.focusLeft(item("Label3")); }, 0, "a focus that showed no cue leaves"},
        {[&] { controller.pointerOverItem(item("Label21")); }, 0, "the tile has no bar"},
        {[&] { controller.pointerOver(PointerPlace::BareBackground); }, -1, "bare background"},
        {[&] { controller.focusEntered(item("Label4"), FocusReason::Other); }, -1, "a click's focus shows no cue"},
        {[&] { controller.focusEntered(item("Label4"), FocusReason::Keyboard); }, 1, "Tab to Label4"},
        {[&] { controller.focusLeft(item("Label4")); }, -1, "Tab away"},
        {[&] { controller.focusEntered(item("Label5"), FocusReason::Keyboard); }, 2, "Tab to Label5"},
        {[&] { controller.pointerOverItem(item("Label8")); }, 5, "pointer on Label8"},
        {[&] { controller.focusLeft(item("Label5")); }, 5, "the pointer's bar stays"},
        {[&] { controller.pointerOverItem(item("Label6")); }, 3, "pointer on Label6"},
        {[&] { controller.focusEntered(item("Label6"), FocusReason::Keyboard); }, 3, "Tab onto the hovered item"},
        {[&] { controller.focusLeft(item("Label6")); }, -1, "its cue leaves with it"},
    };
    for (const Step& step : steps) {
        step.event();
        EXPECT_EQ(view.shownBar, step.barAfter) << step.what;
    }
    controller.focusEntered(item("Label21"), FocusReason::Keyboard);
    controller.focusLeft(item("Label21"));
    EXPECT_EQ(takeLog(), (Log{"+Label21", "-Label21"}));
}

TEST_F(ShellControllerTest, SaveTellsTheUserThenStoresAndReportsAStoreThatFailed) {
    platform.strings.set(220, "Restart to apply");
    ASSERT_TRUE(saveCurLang(platform.registry, "English"));
    std::string storedWhileShown;
    view.whileBoxShown = [&] { storedWhileShown = readCurLang(platform.registry); };
    controller.save();
    EXPECT_EQ(takeLog(), Log{"info Restart to apply"});
    EXPECT_EQ(storedWhileShown, "English") << "the choice is stored once the box is closed";
    EXPECT_EQ(readCurLang(platform.registry), "Polish");

    view.whileBoxShown = nullptr;
    view.language = "Deutsch";
    platform.registry.setWritable(false);
    controller.save();
    EXPECT_EQ(takeLog(), (Log{"info Restart to apply", std::string("error ") + kLanguageSaveError}));
    EXPECT_EQ(readCurLang(platform.registry), "Polish");
}

} // namespace
} // namespace kelvora
