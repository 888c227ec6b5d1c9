#pragma once

#include "win32ui/Win32.h"

namespace kelvora::win32 {

// The colours of the windows, as the Qt program paints them.
inline constexpr COLORREF kWindowColour = RGB(255, 255, 255);
inline constexpr COLORREF kPageAreaColour = RGB(248, 248, 248);
inline constexpr COLORREF kAccentColour = RGB(160, 120, 205); // tab caption, gauge, status line, links
inline constexpr COLORREF kTabBorderColour = RGB(144, 144, 144);
inline constexpr COLORREF kTextColour = RGB(0, 0, 0);
inline constexpr COLORREF kLineColour = RGB(176, 156, 214);
inline constexpr COLORREF kFrameColour = RGB(128, 128, 128);

} // namespace kelvora::win32
