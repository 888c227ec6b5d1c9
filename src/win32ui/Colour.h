#pragma once

#include "win32ui/Win32.h"

#include "frontend/Palette.h"

namespace kelvora::win32 {

// A colour of the palette as GDI takes it.
constexpr COLORREF colourOf(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

} // namespace kelvora::win32
