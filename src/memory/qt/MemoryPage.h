#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "frontend/AppServices.h"
#include "memory/MemoryPanel.h"
#include "memory/MemoryRelease.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kelvora {

class BlockAllocator;
class GaugeFrame;
class MainTicker;
class PaintHold;
class StatusStrip;

// The memory page's controls (inside page container x3) and the release they drive.
class MemoryPage : public QWidget, private PanelView {
    Q_OBJECT
public:
    // `mainWindow` is the window whose painting a release suspends.
    MemoryPage(AppServices& services, MainTicker& ticker, QWidget* mainWindow, QWidget* parent = nullptr);
    // Claims its blocks from `allocator` instead of the system's (tests, benchmarks).
    MemoryPage(AppServices& services, MainTicker& ticker, BlockAllocator& allocator, QWidget* mainWindow,
               QWidget* parent = nullptr);
    ~MemoryPage() override;

    // Captions from the string table (Label13, OptionLevel, Label14, CheckOptionRAM, Command3).
    void applyTexts();
    // The page defaults of the main window's load, in their order (threshold, level, TimeCombo, colours, gauge).
    void setDefaults();
    // One refresh of the status line and the automatic checks.
    void RefreshMemoryPanel();
    // Frees every block a release holds (the main window's unload).
    void releaseBlocks();

    MemoryRelease::Outcome ReleaseMemory(std::int32_t count) { return release_.ReleaseMemory(count); }
    MemoryPanel& panel() { return panel_; }
    const MemoryRelease& release() const { return release_; }
    // True while a release holds the main window's painting (around a gauge step and the first yield).
    bool paintingHeld() const;

private:
    MemoryPage(AppServices& services, MainTicker& ticker, std::unique_ptr<BlockAllocator> owned,
               BlockAllocator* borrowed, QWidget* mainWindow, QWidget* parent);
    void buildControls();
    void connectHandlers();

    // PanelView
    void setGaugeScale(std::int32_t units) override;
    void setGaugeBar(std::int32_t top, std::int32_t height) override;
    void emptyGauge() override;
    void suspendPainting() override;
    void resumePainting() override;
    void yieldToEvents() override;
    void beep() override;
    void drawStatusLine(const std::string& line) override;
    void setNextOptimizeText(const std::string& text) override;
    void setTimeItems(const std::array<std::string, 3>& items) override;
    void showCheckOptionRAM(int index, bool ticked) override;
    void showOptionRAMPercent(int index) override;
    void showOptionLevel(int index) override;
    void showTimeItem(int index) override;

    AppServices& services_;
    MainTicker& ticker_;
    QWidget* mainWindow_;
    std::unique_ptr<BlockAllocator> ownedAllocator_;
    MemoryRelease release_;
    MemoryPanel panel_;

    QLabel* Label13_ = nullptr;
    std::array<QRadioButton*, 3> OptionLevel_{};
    QButtonGroup* levelGroup_ = nullptr;
    QPushButton* Command3_ = nullptr;
    GaugeFrame* GaugePic_ = nullptr;
    QLabel* Label14_ = nullptr;
    std::array<QCheckBox*, 2> CheckOptionRAM_{};
    QComboBox* TimeCombo_ = nullptr;
    std::array<QRadioButton*, 3> OptionRAMPercent_{};
    QButtonGroup* percentGroup_ = nullptr;
    QLabel* NextOptimizeLabel_ = nullptr;
    StatusStrip* InfoPic_ = nullptr;
    PaintHold* paintHold_ = nullptr;
};

} // namespace kelvora
