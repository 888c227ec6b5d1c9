#include "memory/win32/MemoryPageWin.h"

#include <string>
#include <vector>

#include "memory/MemoryPageControls.h"
#include "platform/MemoryInfo.h"
#include "frontend/FixedTexts.h"
#include "settings/StringTable.h"

namespace kelvora {

namespace {
constexpr int kSlotGaugeName = 189; // the gauge is named after the page it shows the release of
} // namespace

MemoryPageWin::MemoryPageWin(AppServices& services, MainTicker& ticker)
    : services_(services), allocator_(createBlockAllocator()),
      release_(*this, *allocator_, services.memory, ticker),
      panel_(*this, services.strings, services.memory, services.clock, release_) {}

MemoryPageWin::~MemoryPageWin() {
    release_.releaseBlocks();
}

bool MemoryPageWin::create(HWND parent, const ControlSpec& container) {
    if (!window_.createPage(parent, container, services_.strings))
        return false;
    window_.addControls(memoryPageControls(), services_.strings);
    gauge_ = &window_.replace<win32::Gauge>("GaugePic", win32::Gauge::Direction::Up);
    gauge_->setText(services_.strings[kSlotGaugeName]);
    bindControls();
    return true;
}

void MemoryPageWin::bindControls() {
    auto options = [this](const char* first, const char* second, const char* third) {
        return std::vector{&window_.get<win32::OptionButton>(first), &window_.get<win32::OptionButton>(second),
                           &window_.get<win32::OptionButton>(third)};
    };
    levels_.emplace(options("OptionLevel0", "OptionLevel1", "OptionLevel2"));
    levels_->onSelected = [this](int index) { panel_.selectOptionLevel(index); };
    percents_.emplace(options("OptionRAMPercent0", "OptionRAMPercent1", "OptionRAMPercent2"));
    percents_->onSelected = [this](int index) { panel_.selectOptionRAMPercent(index); };
    // The percentages are figures, not texts of the language.
    for (int i = 0; i < 3; ++i)
        window_.get<win32::OptionButton>("OptionRAMPercent" + std::to_string(i)).setText(fixedtext::thresholdCaption(i));

    window_.get<win32::PushButton>("Command3").onClick = [this] { panel_.Command3_Click(); };
    checks_ = {&window_.get<win32::CheckBox>("CheckOptionRAM0"), &window_.get<win32::CheckBox>("CheckOptionRAM1")};
    for (int i = 0; i < 2; ++i)
        checks_[static_cast<std::size_t>(i)]->onToggled = [this, i](bool ticked) { panel_.setCheckOptionRAM(i, ticked); };
    times_ = &window_.get<win32::DropList>("TimeCombo");
    times_->onSelected = [this](int index) { panel_.selectTimeItem(index); };
    status_ = &window_.get<win32::StatusLine>("InfoPic");
    nextOptimize_ = &window_.get<win32::Label>("NextOptimizeLabel");
}

void MemoryPageWin::setGaugeScale(std::int32_t units) {
    gaugeScale_ = units;
    gauge_->setBar(gaugeScale_, gaugeTop_, gaugeHeight_);
}

void MemoryPageWin::setGaugeBar(std::int32_t top, std::int32_t height) {
    gaugeTop_ = top;
    gaugeHeight_ = height;
    gauge_->setBar(gaugeScale_, gaugeTop_, gaugeHeight_);
}

void MemoryPageWin::emptyGauge() {
    gaugeHeight_ = 0;
    gauge_->setBar(gaugeScale_, gaugeTop_, gaugeHeight_);
}

// The gauge draws only itself, once per step, so nothing else of the window needs holding back.
void MemoryPageWin::suspendPainting() {}

void MemoryPageWin::resumePainting() {}

void MemoryPageWin::yieldToEvents() {
    win32::pumpPendingMessages();
}

void MemoryPageWin::beep() {
    MessageBeep(MB_OK);
}

void MemoryPageWin::drawStatusLine(const std::string& line) {
    // The drawn line is also the control's text, so UI Automation reads it as the control's name.
    status_->setText(line);
}

void MemoryPageWin::setNextOptimizeText(const std::string& text) {
    std::string shown = text;
    std::erase(shown, '\n');
    std::erase(shown, '\r');
    nextOptimize_->setText(shown);
}

void MemoryPageWin::setTimeItems(const std::array<std::string, 3>& items) {
    times_->setItems(std::vector<std::string>(items.begin(), items.end()));
    times_->select(-1);
}

void MemoryPageWin::showCheckOptionRAM(int index, bool ticked) {
    if (index >= 0 && index < 2)
        checks_[static_cast<std::size_t>(index)]->setChecked(ticked);
}

void MemoryPageWin::showOptionRAMPercent(int index) {
    percents_->select(index);
}

void MemoryPageWin::showOptionLevel(int index) {
    levels_->select(index);
}

void MemoryPageWin::showTimeItem(int index) {
    times_->select(index);
}

} // namespace kelvora
