#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "memory/MemoryRelease.h"
#include "memory/ThresholdBackoff.h"

namespace kelvora {

class StringTable;
class TickClock;

// The memory page as the panel logic sees it. The show* calls only mirror a control's state; they run no handler.
class PanelView : public ReleaseView {
public:
    virtual void drawStatusLine(const std::string& line) = 0;
    virtual void setNextOptimizeText(const std::string& text) = 0;
    virtual void setTimeItems(const std::array<std::string, 3>& items) = 0;
    virtual void showCheckOptionRAM(int index, bool ticked) = 0;
    // -1 shows no option selected.
    virtual void showOptionRAMPercent(int index) = 0;
    virtual void showOptionLevel(int index) = 0;
    virtual void showTimeItem(int index) = 0;
};

// The memory page's state and handlers: status line, level, threshold and timed release.
class MemoryPanel {
public:
    static constexpr std::array<std::int32_t, 3> kTimedMinutes{10, 30, 60};

    MemoryPanel(PanelView& view, const StringTable& strings, MemoryInfo& info, TickClock& clock,
                MemoryRelease& release);

    // The page defaults of the main window's load, in their order.
    void setDefaults();
    void RefreshMemoryPanel();

    void Command3_Click();
    void OptionLevel_Click(int index);
    void CheckOptionRAM_Click(int index);
    void OptionRAMPercent_Click(int index);
    void TimeCombo_Click(int index);

    // A control changed, by the user or by code: the model follows and the control's handler runs.
    void setCheckOptionRAM(int index, bool ticked);
    void selectOptionRAMPercent(int index);
    void selectOptionLevel(int index);
    void selectTimeItem(int index);

    std::string statusLine() const;
    std::string nextOptimizeText(std::int64_t minutes) const;

    std::int32_t TotalMemMB = 0;
    std::int32_t AvailMemMB = 0;
    std::int32_t UsedMemMB = 0;
    float FreeThreshold = 0.3f;
    std::int16_t OptimizeLevel = 20;
    std::int32_t OptimizeInterval = 0; // ms; 0 is off
    std::uint32_t LastTimedOptimize = 0;

    bool timedBoxTicked() const { return checkBoxes_[0]; }
    bool thresholdBoxTicked() const { return checkBoxes_[1]; }
    int selectedPercent() const { return percent_; }
    int selectedLevel() const { return level_; }
    int selectedTimeItem() const { return timeItem_; }

private:
    MemoryRelease::Outcome runRelease();
    void timedCheck();
    void restartTimedInterval();

    PanelView& view_;
    const StringTable& strings_;
    MemoryInfo& info_;
    TickClock& clock_;
    MemoryRelease& release_;
    ThresholdBackoff thresholdBackoff_;

    std::array<bool, 2> checkBoxes_{false, false};
    int percent_ = -1;
    int level_ = -1;
    int timeItem_ = -1;
};

} // namespace kelvora
