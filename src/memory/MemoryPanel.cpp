#include "memory/MemoryPanel.h"

#include "memory/MemoryStatus.h"
#include "platform/MemoryInfo.h"
#include "settings/StringTable.h"

namespace kelvora {

MemoryPanel::MemoryPanel(PanelView& view, const StringTable& strings, MemoryInfo& info, TickClock& clock,
                         MemoryRelease& release)
    : view_(view), strings_(strings), info_(info), clock_(clock), release_(release) {}

void MemoryPanel::setDefaults() {
    CheckOptionRAM_Click(1);
    setCheckOptionRAM(1, true);
    OptionRAMPercent_Click(2);
    selectOptionRAMPercent(2);
    OptionLevel_Click(2);
    selectOptionLevel(2);
    view_.setTimeItems({strings_[221], strings_[222], strings_[223]});
    view_.emptyGauge();
}

std::string MemoryPanel::statusLine() const {
    const std::string gap = "    ";
    return strings_[224] + std::to_string(TotalMemMB) + " MB" + gap + strings_[225] + std::to_string(UsedMemMB) +
           " MB" + gap + strings_[226] + std::to_string(AvailMemMB) + " MB";
}

std::string MemoryPanel::nextOptimizeText(std::int64_t minutes) const {
    if (minutes > 0)
        return strings_[229] + " \r\n" + std::to_string(minutes) + " " + strings_[230];
    return strings_[227] + " \r\n" + strings_[228];
}

void MemoryPanel::RefreshMemoryPanel() {
    std::optional<MemoryStatusMB> sample = GetMemoryStatus(info_);
    if (!sample)
        return;
    TotalMemMB = sample->totalMB;
    AvailMemMB = sample->availMB;
    UsedMemMB = TotalMemMB - AvailMemMB;
    view_.drawStatusLine(statusLine());

    if (thresholdBoxTicked()) {
        // Without a total there is no share to compare; the rest of this refresh is skipped.
        if (TotalMemMB == 0)
            return;
        auto freeShare = static_cast<float>(static_cast<double>(AvailMemMB) / TotalMemMB);
        if (thresholdBackoff_.permits(freeShare < FreeThreshold, clock_.GetTickCount()))
            thresholdBackoff_.released(runRelease(), clock_.GetTickCount());
    }
    if (OptimizeInterval >= 1)
        timedCheck();
}

void MemoryPanel::timedCheck() {
    // Unsigned difference of the wrapping tick count: correct across a wrap.
    std::uint32_t elapsed = clock_.GetTickCount() - LastTimedOptimize;
    std::int64_t minutes = (static_cast<std::int64_t>(OptimizeInterval) - elapsed) / 60000;
    view_.setNextOptimizeText(nextOptimizeText(minutes));
    if (elapsed >= static_cast<std::uint32_t>(OptimizeInterval)) {
        LastTimedOptimize = clock_.GetTickCount();
        runRelease();
    }
}

MemoryRelease::Outcome MemoryPanel::runRelease() {
    return release_.ReleaseMemory(GetReleaseBlockCount(UsedMemMB, AvailMemMB, OptimizeLevel));
}

void MemoryPanel::Command3_Click() {
    runRelease();
}

void MemoryPanel::OptionLevel_Click(int index) {
    static constexpr std::array<std::int16_t, 3> levels{10, 15, 20};
    if (index >= 0 && index < 3)
        OptimizeLevel = levels[static_cast<std::size_t>(index)];
}

void MemoryPanel::OptionRAMPercent_Click(int index) {
    static constexpr std::array<float, 3> thresholds{0.1f, 0.2f, 0.3f};
    if (index >= 0 && index < 3)
        FreeThreshold = thresholds[static_cast<std::size_t>(index)];
}

void MemoryPanel::CheckOptionRAM_Click(int index) {
    if (index == 0) {
        if (!timedBoxTicked()) {
            OptimizeInterval = 0;
            view_.setNextOptimizeText("");
            return;
        }
        if (timeItem_ < 0)
            selectTimeItem(0);
        restartTimedInterval();
    } else if (index == 1) {
        if (thresholdBoxTicked()) {
            selectOptionRAMPercent(1);
            OptionRAMPercent_Click(1);
        } else {
            percent_ = -1;
            view_.showOptionRAMPercent(-1);
        }
    }
}

void MemoryPanel::TimeCombo_Click(int /*index*/) {
    if (timedBoxTicked())
        restartTimedInterval();
}

void MemoryPanel::restartTimedInterval() {
    if (timeItem_ < 0 || timeItem_ >= static_cast<int>(kTimedMinutes.size()))
        return;
    OptimizeInterval = kTimedMinutes[static_cast<std::size_t>(timeItem_)] * 60000;
    LastTimedOptimize = clock_.GetTickCount();
}

void MemoryPanel::setCheckOptionRAM(int index, bool ticked) {
    if (index < 0 || index > 1 || checkBoxes_[static_cast<std::size_t>(index)] == ticked)
        return;
    checkBoxes_[static_cast<std::size_t>(index)] = ticked;
    view_.showCheckOptionRAM(index, ticked);
    CheckOptionRAM_Click(index);
}

void MemoryPanel::selectOptionRAMPercent(int index) {
    percent_ = index;
    view_.showOptionRAMPercent(index);
    OptionRAMPercent_Click(index);
}

void MemoryPanel::selectOptionLevel(int index) {
    level_ = index;
    view_.showOptionLevel(index);
    OptionLevel_Click(index);
}

void MemoryPanel::selectTimeItem(int index) {
    if (index < 0 || index >= static_cast<int>(kTimedMinutes.size()))
        return;
    timeItem_ = index;
    view_.showTimeItem(index);
    TimeCombo_Click(index);
}

} // namespace kelvora
