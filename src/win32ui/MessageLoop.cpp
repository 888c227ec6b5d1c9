#include "win32ui/Window.h"

#include "settings/LanguageSetting.h"

namespace kelvora::win32 {

namespace {

// Enter and Escape belong to the window, not to the dialog manager, which would send IDOK and IDCANCEL as
// commands: Escape runs the window's onEscape, Enter presses the focused push button and does nothing elsewhere.
// A control that wants the key itself (a link, an open drop-down list) gets it. True when the key was taken.
bool windowKey(const MSG& msg, Window& window) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE))
        return false;
    const auto code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
        return false;
    if (msg.wParam == VK_ESCAPE) {
        if (window.onEscape)
            window.onEscape();
    } else if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
        SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
    }
    return true;
}

void dispatch(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (Window* window = Window::of(root)) {
        if (windowKey(msg, *window))
            return;
        // Tab, the arrows and the buttons' mnemonics move and press the controls of our windows.
        if (IsDialogMessageW(root, &msg))
            return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

} // namespace

bool pumpPendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        dispatch(msg);
    }
    return true;
}

int runMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        dispatch(msg);
    return static_cast<int>(msg.wParam);
}

void messageBox(HWND owner, const std::string& text, UINT icon) {
    MessageBoxW(owner, wide(text).c_str(), wide(kAppTitle).c_str(), MB_OK | icon);
}

} // namespace kelvora::win32
