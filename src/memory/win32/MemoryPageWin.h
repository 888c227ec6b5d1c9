#pragma once

#include <array>
#include <memory>
#include <optional>

#include "frontend/AppServices.h"
#include "memory/MemoryPanel.h"
#include "memory/MemoryRelease.h"
#include "win32ui/Window.h"

namespace kelvora {

class MainTicker;

// The memory page (inside page container x3) as a Win32 child window, over the panel and release logic.
class MemoryPageWin : private PanelView {
public:
    MemoryPageWin(AppServices& services, MainTicker& ticker);
    ~MemoryPageWin() override;

    // Creates the page's window in `parent` at the place of page container `container`.
    bool create(HWND parent, const ControlSpec& container);
    win32::Window& window() { return window_; }
    void setDefaults() { panel_.setDefaults(); }
    void RefreshMemoryPanel() { panel_.RefreshMemoryPanel(); }
    void releaseBlocks() { release_.releaseBlocks(); }

private:
    void bindControls();

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
    std::unique_ptr<BlockAllocator> allocator_;
    MemoryRelease release_;
    MemoryPanel panel_;
    win32::Window window_;
    win32::Gauge* gauge_ = nullptr;
    win32::StatusLine* status_ = nullptr;
    win32::Label* nextOptimize_ = nullptr;
    win32::DropList* times_ = nullptr;
    std::array<win32::CheckBox*, 2> checks_{};
    std::optional<win32::OptionGroup> levels_;
    std::optional<win32::OptionGroup> percents_;
    std::int32_t gaugeScale_ = 0;
    std::int32_t gaugeTop_ = 0;
    std::int32_t gaugeHeight_ = 0;
};

} // namespace kelvora
