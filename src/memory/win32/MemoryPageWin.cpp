#include "memory/win32/MemoryPageWin.h"

#include <commctrl.h>

#include <string_view>

#include "frontend/FixedTexts.h"
#include "memory/MemoryPageControls.h"
#include "platform/MemoryInfo.h"
#include "settings/StringTable.h"
#include "win32ui/Colour.h"

namespace kelvora {

namespace {

constexpr COLORREF kBarColour = win32::colourOf(palette::kGauge);
constexpr int kSlotGaugeName = 189; // the gauge is named after the page it shows the release of
constexpr std::array<const char*, 3> kLevelNames{"OptionLevel0", "OptionLevel1", "OptionLevel2"};
constexpr std::array<const char*, 3> kPercentNames{"OptionRAMPercent0", "OptionRAMPercent1", "OptionRAMPercent2"};
constexpr std::array<const char*, 2> kCheckNames{"CheckOptionRAM0", "CheckOptionRAM1"};

int indexOf(const std::array<const char*, 3>& names, std::string_view name) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (name == names[i])
            return static_cast<int>(i);
    return -1;
}

} // namespace

MemoryPageWin::MemoryPageWin(AppServices& services, MainTicker& ticker, HWND mainWindow)
    : services_(services), mainWindow_(mainWindow), allocator_(createBlockAllocator()),
      release_(*this, *allocator_, services.memory, ticker),
      panel_(*this, services.strings, services.memory, services.clock, release_) {}

MemoryPageWin::~MemoryPageWin() {
    release_.releaseBlocks();
}

bool MemoryPageWin::create(HWND parent, const ControlSpec& container) {
    if (!window_.createPage(parent, container, services_.strings))
        return false;
    window_.addControls(memoryPageControls(), services_.strings);
    // The percentages are figures, not texts of the language.
    for (std::size_t i = 0; i < kPercentNames.size(); ++i)
        window_.setText(kPercentNames[i], fixedtext::thresholdCaption(static_cast<int>(i)));
    window_.setText("GaugePic", services_.strings[kSlotGaugeName]);
    window_.hooks.command = [this](const char* control, int code) { onCommand(control, code); };
    window_.hooks.draw = [this](const char* control, HDC dc, const RECT& area) { return draw(control, dc, area); };
    return true;
}

void MemoryPageWin::onCommand(const char* control, int code) {
    const std::string_view name = control;
    if (name == "Command3" && code == BN_CLICKED) {
        panel_.Command3_Click();
    } else if (const int level = indexOf(kLevelNames, name); level >= 0 && code == BN_CLICKED) {
        panel_.selectOptionLevel(level);
    } else if (const int percent = indexOf(kPercentNames, name); percent >= 0 && code == BN_CLICKED) {
        panel_.selectOptionRAMPercent(percent);
    } else if (name == "TimeCombo" && code == CBN_SELCHANGE) {
        panel_.selectTimeItem(static_cast<int>(SendMessageW(window_.control(name), CB_GETCURSEL, 0, 0)));
    } else if (code == BN_CLICKED) {
        for (int i = 0; i < 2; ++i) {
            if (name == kCheckNames[static_cast<std::size_t>(i)]) {
                const bool ticked = SendMessageW(window_.control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
                panel_.setCheckOptionRAM(i, !ticked);
            }
        }
    }
}

bool MemoryPageWin::draw(const char* control, HDC dc, const RECT& area) {
    const std::string_view name = control;
    if (name == "InfoPic") {
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HGDIOBJ old = SelectObject(dc, window_.fontFor({.bold = true}));
        SetTextColor(dc, kBarColour);
        SetBkMode(dc, TRANSPARENT);
        RECT text = area;
        const std::wstring line = win32::wide(statusLine_);
        DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS);
        SelectObject(dc, old);
        return true;
    }
    if (name == "GaugePic") {
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        if (gaugeScale_ > 0 && gaugeHeight_ > 0) {
            const int inner = area.bottom - area.top - 2;
            RECT bar{area.left + 1, area.top + 1 + MulDiv(gaugeTop_, inner, gaugeScale_), area.right - 1,
                     area.bottom - 1};
            bar.bottom = std::min<LONG>(bar.bottom, bar.top + MulDiv(gaugeHeight_, inner, gaugeScale_));
            HBRUSH brush = CreateSolidBrush(kBarColour);
            FillRect(dc, &bar, brush);
            DeleteObject(brush);
        }
        return true;
    }
    return false;
}

void MemoryPageWin::setGaugeScale(std::int32_t units) {
    gaugeScale_ = units;
    window_.redraw("GaugePic");
}

void MemoryPageWin::setGaugeBar(std::int32_t top, std::int32_t height) {
    gaugeTop_ = top;
    gaugeHeight_ = height;
    window_.redraw("GaugePic");
}

void MemoryPageWin::emptyGauge() {
    gaugeHeight_ = 0;
    window_.redraw("GaugePic");
}

void MemoryPageWin::suspendPainting() {
    if (paintHolds_++ == 0 && IsWindow(mainWindow_))
        SendMessageW(mainWindow_, WM_SETREDRAW, FALSE, 0);
}

void MemoryPageWin::resumePainting() {
    if (paintHolds_ > 0 && --paintHolds_ == 0 && IsWindow(mainWindow_)) {
        SendMessageW(mainWindow_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(mainWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void MemoryPageWin::yieldToEvents() {
    win32::pumpPendingMessages();
}

void MemoryPageWin::beep() {
    MessageBeep(MB_OK);
}

void MemoryPageWin::drawStatusLine(const std::string& line) {
    statusLine_ = line;
    // The drawn line is also the control's text, so UI Automation reads it as the control's name.
    window_.setText("InfoPic", line);
}

void MemoryPageWin::setNextOptimizeText(const std::string& text) {
    std::string shown = text;
    std::erase(shown, '\n');
    std::erase(shown, '\r');
    window_.setText("NextOptimizeLabel", shown);
}

void MemoryPageWin::setTimeItems(const std::array<std::string, 3>& items) {
    HWND combo = window_.control("TimeCombo");
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::wide(item).c_str()));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void MemoryPageWin::showCheckOptionRAM(int index, bool ticked) {
    if (index >= 0 && index < 2)
        SendMessageW(window_.control(kCheckNames[static_cast<std::size_t>(index)]), BM_SETCHECK,
                     ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MemoryPageWin::showOptionRAMPercent(int index) {
    for (int i = 0; i < 3; ++i)
        SendMessageW(window_.control(kPercentNames[static_cast<std::size_t>(i)]), BM_SETCHECK,
                     i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MemoryPageWin::showOptionLevel(int index) {
    for (int i = 0; i < 3; ++i)
        SendMessageW(window_.control(kLevelNames[static_cast<std::size_t>(i)]), BM_SETCHECK,
                     i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MemoryPageWin::showTimeItem(int index) {
    SendMessageW(window_.control("TimeCombo"), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

} // namespace kelvora
