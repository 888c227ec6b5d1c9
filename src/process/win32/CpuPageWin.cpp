#include "process/win32/CpuPageWin.h"

#include <string_view>

#include "process/CpuPageControls.h"

namespace kelvora {

namespace {
// The class column starts here, in dialog units, as the list's one tab stop.
constexpr int kClassColumnTabStop = 270;
} // namespace

CpuPageWin::CpuPageWin(AppServices& services)
    : services_(services),
      optimizer_(services.strings, services.processes, services.foreground, *this) {}

CpuPageWin::~CpuPageWin() = default;

bool CpuPageWin::create(HWND parent, const ControlSpec& container) {
    if (!window_.createPage(parent, container, services_.strings))
        return false;
    window_.addControls(cpuPageControls(), services_.strings);
    window_.hooks.command = [this](const char* control, int code) { onCommand(control, code); };
    return true;
}

void CpuPageWin::setDefaults() {
    showOption("OptionNonFocus0", "OptionNonFocus1", 0);
    optimizer_.OptionNonFocus_Click(0);
    showOption("OptionFocus0", "OptionFocus1", 0);
    optimizer_.OptionFocus_Click(0);
    const int stop = kClassColumnTabStop;
    SendMessageW(window_.control("ProcessList"), LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
    optimizer_.RefreshProcessList(true);
}

void CpuPageWin::showOption(const char* first, const char* second, int index) {
    SendMessageW(window_.control(first), BM_SETCHECK, index == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(window_.control(second), BM_SETCHECK, index == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CpuPageWin::onCommand(const char* control, int code) {
    if (code != BN_CLICKED)
        return;
    // Every click applies the policy, also on the option already chosen.
    const std::string_view name = control;
    if (name == "OptionNonFocus0" || name == "OptionNonFocus1") {
        const int index = name.back() - '0';
        showOption("OptionNonFocus0", "OptionNonFocus1", index);
        optimizer_.OptionNonFocus_Click(index);
    } else if (name == "OptionFocus0" || name == "OptionFocus1") {
        const int index = name.back() - '0';
        showOption("OptionFocus0", "OptionFocus1", index);
        optimizer_.OptionFocus_Click(index);
    }
}

void CpuPageWin::suspendPainting() {
    SendMessageW(window_.control("ProcessList"), WM_SETREDRAW, FALSE, 0);
}

void CpuPageWin::resumePainting() {
    HWND list = window_.control("ProcessList");
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void CpuPageWin::clearRows() {
    SendMessageW(window_.control("ProcessList"), LB_RESETCONTENT, 0, 0);
}

void CpuPageWin::addRow(const std::string& text) {
    SendMessageW(window_.control("ProcessList"), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::wide(text).c_str()));
}

void CpuPageWin::replaceRow(int index, const std::string& text) {
    HWND list = window_.control("ProcessList");
    SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(win32::wide(text).c_str()));
}

int CpuPageWin::rowCount() const {
    return static_cast<int>(SendMessageW(window_.control("ProcessList"), LB_GETCOUNT, 0, 0));
}

void CpuPageWin::setCountText(const std::string& text) {
    window_.setText("ProcessesLabel", text);
    // The list is named by its count line.
    SetWindowTextW(window_.control("ProcessList"), win32::wide(text).c_str());
}

} // namespace kelvora
