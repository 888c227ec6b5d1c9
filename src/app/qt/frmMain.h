#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <vector>

#include "app/ShellController.h"
#include "frontend/AppServices.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;

namespace kelvora {

class BlockAllocator;
class CpuPage;
class FrmAbout;
class LinkLabel;
class MainClientArea;
class MemoryPage;
class PictureBox;
class ShellActions;
class frmAutoUpd;
class frmUpdate;

// The main window: header, navigation column, four pages in one place, update tile, footer and menu bar. What it
// does is the shell controller's; this class binds the controls to it.
class frmMain : public QMainWindow, private ShellView, private ShellTimers {
    Q_OBJECT
public:
    static constexpr int kPages = 4;
    static constexpr int kHoverBars = 6;

    // `blocks`, when given, is where the memory page claims its blocks instead of the system (tests).
    frmMain(AppServices& services, ShellActions& actions, BlockAllocator* blocks = nullptr);
    ~frmMain() override;

    ShellController& controller() { return controller_; }
    // The whole initialisation, ending with the window shown.
    void Form_Load() { controller_.load(); }

    void ShowPage(int index);
    // Shows hover bar `index` (0 = a1 ... 5 = a6) only; -1 hides all six.
    void ShowHoverImage(int index);

    QTimer& globalTimer() { return GlobalTimer_; }
    QTimer& timer3() { return Timer3_; }
    MainClientArea* clientArea() const { return client_; }
    MemoryPage* memoryPage() const { return memoryPage_; }
    CpuPage* cpuPage() const { return cpuPage_; }
    FrmAbout* aboutWindow() const;
    frmUpdate* updateWindow() const;
    frmAutoUpd* autoUpdateWindow() const;

signals:
    // The window was unloaded; the program ends once this window is gone.
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
    // Clicks, keys, hovering, focus order, focus cues and roles of the navigation items, as the shared table gives.
    void bindNavigation();

    // ShellView
    void showPage(int page) override { ShowPage(page); }
    void showHoverBar(int bar) override { ShowHoverImage(bar); }
    void setUnderlined(const char* control, bool underlined) override;
    void showAbout() override;
    void showUpdate() override;
    void loadAutoUpdate() override;
    void closeOwnedWindows() override;
    void messageBox(const std::string& text, MessageIcon icon) override;
    void endProgram() override;
    void fillLanguages(const std::array<const char*, 3>& names, int selected) override;
    std::string selectedLanguage() const override;
    void applyTexts() override;
    void setVersionText(const std::string& text) override;
    void yieldToEvents() override;
    void showWindow() override;
    void postPanelRefresh() override;
    void setMemoryDefaults() override;
    void refreshMemoryPanel() override;
    void releaseMemoryBlocks() override;
    void setCpuDefaults() override;
    void updateForegroundPriority() override;
    void retryHeldPriorityChanges() override;
    // ShellTimers
    void start(ShellTimer which, int intervalMs) override;
    void stop(ShellTimer which) override;
    QTimer& timer(ShellTimer timer) { return timer == ShellTimer::Global ? GlobalTimer_ : Timer3_; }

    AppServices& services_;
    ShellActions& actions_;
    BlockAllocator* blocks_;
    ShellController controller_;
    QPoint dragOffset_; // from the window's place to the pointer, while it is dragged
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
