#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <vector>

#include "frontend/AppServices.h"
#include "info/LinkLauncher.h"
#include "memory/MainTicker.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;

namespace kelvora {

class BlockAllocator;
namespace navigation {
struct Item;
}

class CpuPage;
class FrmAbout;
class LinkLabel;
class MainClientArea;
class MemoryPage;
class PictureBox;
class ShellActions;
class frmAutoUpd;
class frmUpdate;

// The main window: header, navigation column, four pages in one place, update tile, footer and menu bar.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kPages = 4;
    static constexpr int kHoverBars = 6;

    // `blocks`, when given, is where the memory page claims its blocks instead of the system (tests).
    frmMain(AppServices& services, ShellActions& actions, BlockAllocator* blocks = nullptr);
    ~frmMain() override;

    // The whole initialisation, ending with the window shown.
    void Form_Load();
    // The window manager closed the window: frees the release's blocks and stops GlobalTimer.
    void Form_Unload();

    // Shows page `index` (0 = x1 ... 3 = x4) and hides the other three.
    void ShowPage(int index);
    // Shows hover bar `index` (0 = a1 ... 5 = a6) only; -1 hides all six.
    void ShowHoverImage(int index);
    void showAbout();
    void showUpdate();
    // Starts the one-shot countdown that loads the hidden update window.
    void enableTimer3();

    QTimer& globalTimer() { return GlobalTimer_; }
    QTimer& timer3() { return Timer3_; }
    MainClientArea* clientArea() const { return client_; }
    MemoryPage* memoryPage() const { return memoryPage_; }
    CpuPage* cpuPage() const { return cpuPage_; }
    FrmAbout* aboutWindow() const;
    frmUpdate* updateWindow() const;
    frmAutoUpd* autoUpdateWindow() const;

signals:
    // Form_Unload has run; the program ends once this window is gone.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter on a focused button presses it, as Space does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildHeader();
    void buildNavigation();
    void buildUpdateTile();
    void buildFooter();
    void buildPages();
    QWidget* buildInformationPage(QTabWidget* container);
    QWidget* buildSettingsPage(QTabWidget* container);
    QTabWidget* makePageContainer(const char* name);
    void buildMenus();
    // Clicks, keys, focus order, focus cues and roles of the navigation items, as the shared table gives them.
    void bindNavigation();
    void runCommand(int command, int page);
    void showFocusCue(LinkLabel* label, const navigation::Item& item, bool shown);
    void applyTexts();
    void startGlobalTimer();

    void GlobalTimer_Timer();
    void refreshMemoryPanelUnlessUnloaded();
    void Timer3_Timer();
    void Command1_Click();
    void Command2_Click();
    void endProgram();

    AppServices& services_;
    ShellActions& actions_;
    BlockAllocator* blocks_;
    MainTicker ticker_;
    LinkLauncher links_;
    QTimer GlobalTimer_;
    QTimer Timer3_;

    MainClientArea* client_ = nullptr;
    QLabel* Label1_ = nullptr;
    std::array<PictureBox*, kHoverBars> hoverBars_{};
    std::array<LinkLabel*, kHoverBars> navLabels_{};
    PictureBox* Image9_ = nullptr;
    LinkLabel* Label21_ = nullptr;
    LinkLabel* Label22_ = nullptr;
    std::array<QTabWidget*, kPages> pages_{};

    QLabel* Label9_ = nullptr;
    QLabel* Label10_ = nullptr;
    QLabel* Label11_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QLabel* Label12_ = nullptr;
    QComboBox* optLang_ = nullptr;
    QPushButton* Command2_ = nullptr;
    MemoryPage* memoryPage_ = nullptr;
    CpuPage* cpuPage_ = nullptr;

    std::vector<QMenu*> menus_;
    std::vector<QAction*> menuItems_;

    QPointer<FrmAbout> about_;
    QPointer<frmUpdate> update_;
    QPointer<frmAutoUpd> autoUpd_;
};

} // namespace kelvora
