#pragma once

// Every colour the windows draw, the same in every front end. Each front end turns an Rgb into its own colour type.
namespace kelvora {

struct Rgb {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
};

namespace palette {

// The window backgrounds: main window, splash, About window, alert popup.
inline constexpr Rgb kWindow{255, 255, 255};
inline constexpr Rgb kText{0, 0, 0};
// The page area under each page's tab, and the background of every label, check box and option button on a page.
inline constexpr Rgb kPage{248, 248, 248};
// The page tab: its background, caption and outer border.
inline constexpr Rgb kTabBackground{248, 248, 248};
inline constexpr Rgb kTabText{160, 120, 205};
inline constexpr Rgb kTabBorder{144, 144, 144};
// Links: the update tile's second text and the About window's links.
inline constexpr Rgb kLink{160, 120, 205};
// The memory gauge's filled part and the memory status line; the update window's progress bar matches them.
inline constexpr Rgb kGauge{160, 120, 205};
// The plain block beside the version text.
inline constexpr Rgb kVersionBlock{224, 224, 224};
// The drawn lines under the banners of the main window and the splash.
inline constexpr Rgb kRule{176, 156, 214};
// The splash's thin frame: dark outside, light inside.
inline constexpr Rgb kSplashFrameOuter{105, 105, 105};
inline constexpr Rgb kSplashFrameInner{212, 208, 200};
// The alert popup's header band.
inline constexpr Rgb kAlertHeader{152, 133, 196};
// The About window's etched separators (the application-workspace colour under a white line).
inline constexpr Rgb kWorkspace{171, 171, 171};

} // namespace palette
} // namespace kelvora
