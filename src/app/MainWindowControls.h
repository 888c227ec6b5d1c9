#pragma once

#include "frontend/ControlTable.h"

namespace kelvora {

// The main window's own items in window coordinates, bottom of the stacking order first; the tabs x1 ... x4 are
// the page containers, all at one place.
ControlTable mainWindowControls();
// The main window's client area, in pixels at 96 dpi.
inline constexpr int kMainClientWidth = 568;
inline constexpr int kMainClientHeight = 358;
// The information page (x1) and the settings page (x4), relative to their page container.
ControlTable informationPageControls();
ControlTable settingsPageControls();
// The menu bar's menus and items, in menu order.
ControlTable mainMenuControls();
// The splash window.
ControlTable splashControls();

} // namespace kelvora
