// Reads the windows of a running kelvora2008.exe for the end-to-end test, from another process of the same Wine
// prefix: "controls" lists every control of the main window (and a list's rows), "tabs" the Tab stops in the order
// Tab visits them, "focus" the control that has the keyboard focus. One line per item, UTF-8:
//   class id checked visible left top width height text     (places in the main window's client pixels)
//   row left top width height text                           (a list's row, in the list's client pixels)
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring textOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
    return buffer;
}

std::wstring classOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

HWND mainWindow() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND hwnd, LPARAM result) {
            if (GetMenu(hwnd) && classOf(hwnd) == L"Kelvora2008Window") {
                *reinterpret_cast<HWND*>(result) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void print(HWND main, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    const auto checked = SendMessageW(control, BM_GETCHECK, 0, 0);
    std::printf("%s %d %d %d %ld %ld %ld %ld %s\n", utf8(classOf(control)).c_str(), GetDlgCtrlID(control),
                classOf(control) == L"Button" && checked == BST_CHECKED ? 1 : 0, IsWindowVisible(control) ? 1 : 0,
                r.left, r.top, r.right - r.left, r.bottom - r.top, utf8(textOf(control)).c_str());
    if (classOf(control) == L"ListBox") {
        const auto rows = SendMessageW(control, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < rows; ++i) {
            wchar_t row[512] = {};
            if (SendMessageW(control, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 512)
                SendMessageW(control, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(row));
            RECT place{};
            SendMessageW(control, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&place));
            std::printf("row %ld %ld %ld %ld %s\n", place.left, place.top, place.right - place.left,
                        place.bottom - place.top, utf8(row).c_str());
        }
    }
}

// Read back from the screen, as the X server shows it; the test needs no screenshot tool of its own.
void printPixels(HWND main, int left, int top, int width, int height) {
    POINT origin{left, top};
    ClientToScreen(main, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            std::printf("%06lx", pixels[y * width + x] & 0xffffff);
        std::printf("\n");
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring what = argc > 1 ? argv[1] : L"controls";
    HWND main = mainWindow();
    if (!main)
        return 2;
    if (what == L"controls") {
        std::vector<HWND> children;
        EnumChildWindows(
            main,
            [](HWND hwnd, LPARAM list) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&children));
        for (HWND child : children)
            print(main, child);
    } else if (what == L"tabs") {
        HWND first = GetNextDlgTabItem(main, nullptr, FALSE);
        for (HWND stop = first; stop;) {
            print(main, stop);
            stop = GetNextDlgTabItem(main, stop, FALSE);
            if (stop == first)
                break;
        }
    } else if (what == L"focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) && info.hwndFocus)
            print(main, info.hwndFocus);
    } else if (what == L"pixels" && argc > 5) {
        printPixels(main, _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]));
    }
    return 0;
}
