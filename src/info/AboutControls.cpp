#include "info/AboutControls.h"

#include <array>

namespace kelvora {
namespace {

using K = ControlKind;
constexpr auto kRight = TextAlign::Right;

constexpr std::array kAbout{
    ControlSpec{.name = "Image4", .kind = K::Picture, .place = {120, 120, 480, 480}},
    ControlSpec{.name = "Label88", .place = {720, 120, 3015, 255}},
    ControlSpec{.name = "Label86", .place = {720, 360, 735, 255}, .slot = 119},
    ControlSpec{.name = "Label1", .place = {1440, 360, 1335, 255}},
    ControlSpec{.name = "Label84", .place = {120, 720, 6975, 255}, .slot = 100},
    ControlSpec{.name = "Label81", .place = {120, 1200, 1575, 255}, .align = kRight, .slot = 120},
    ControlSpec{.name = "Label14", .kind = K::Link, .place = {1800, 1200, 2055, 255}},
    ControlSpec{.name = "Label79", .place = {240, 1440, 1455, 255}, .align = kRight, .slot = 121},
    ControlSpec{.name = "Label78", .place = {1800, 1440, 1815, 255}},
    ControlSpec{.name = "Label5", .place = {120, 1680, 1575, 255}, .align = kRight, .slot = 122},
    ControlSpec{.name = "Label4", .place = {1800, 1680, 2055, 255}},
    ControlSpec{.name = "Label6", .place = {4080, 1200, 2895, 255}, .font = {.bold = true}, .slot = 125},
    ControlSpec{.name = "Label7", .place = {4080, 1440, 3135, 255}, .slot = 126},
    ControlSpec{.name = "Label15", .kind = K::Link, .place = {4080, 1680, 1455, 255}, .slot = 135},
    ControlSpec{.name = "Label8", .place = {4080, 2040, 3135, 255}, .slot = 127},
    ControlSpec{.name = "Label16", .kind = K::Link, .place = {4080, 2280, 1695, 255}, .slot = 135},
    ControlSpec{.name = "Label9", .place = {4080, 2640, 3135, 255}, .slot = 128},
    ControlSpec{.name = "Label17", .kind = K::Link, .place = {4080, 2880, 1575, 255}, .slot = 135},
    ControlSpec{.name = "Command3", .kind = K::Button, .place = {5640, 4200, 1455, 375}},
};

} // namespace

ControlTable aboutControls() {
    return kAbout;
}

} // namespace kelvora
