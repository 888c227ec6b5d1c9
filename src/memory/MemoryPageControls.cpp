#include "memory/MemoryPageControls.h"

#include <array>

namespace kelvora {
namespace {

using K = ControlKind;

constexpr std::array kMemoryPage{
    ControlSpec{.name = "Label13", .place = {120, 480, 2655, 255}, .slot = 203},
    ControlSpec{.name = "OptionLevel0", .kind = K::OptionButton, .place = {240, 720, 1335, 255}, .slot = 204},
    ControlSpec{.name = "OptionLevel1", .kind = K::OptionButton, .place = {240, 980, 1335, 255}, .slot = 205},
    ControlSpec{.name = "OptionLevel2", .kind = K::OptionButton, .place = {240, 1240, 1455, 255}, .slot = 206},
    ControlSpec{.name = "Command3", .kind = K::Button, .place = {3360, 480, 1695, 375}, .slot = 210},
    ControlSpec{.name = "GaugePic", .kind = K::Picture, .place = {5280, 480, 375, 2175}},
    ControlSpec{.name = "Label14", .place = {120, 1680, 3015, 255}, .slot = 207},
    ControlSpec{.name = "CheckOptionRAM0", .kind = K::CheckBox, .place = {480, 1920, 3255, 255}, .slot = 208},
    ControlSpec{.name = "TimeCombo", .kind = K::ComboBox, .place = {720, 2170, 2535, 345}, .slot = 221, .items = 3},
    ControlSpec{.name = "CheckOptionRAM1", .kind = K::CheckBox, .place = {480, 2520, 4455, 255}, .slot = 209},
    ControlSpec{.name = "OptionRAMPercent0", .kind = K::OptionButton, .place = {720, 2800, 735, 255}},
    ControlSpec{.name = "OptionRAMPercent1", .kind = K::OptionButton, .place = {1560, 2800, 735, 255}},
    ControlSpec{.name = "OptionRAMPercent2", .kind = K::OptionButton, .place = {2400, 2800, 735, 255}},
    // The time to the next timed release, on one line: "Next timed optimization: in less than a minute".
    ControlSpec{.name = "NextOptimizeLabel",
                .place = {120, 3120, 5535, 255},
                .slot = 227,
                .composed = "{227} {228}|{229} 60 {230}"},
    // The status line, drawn bold, with figures as large as a 64 GB machine gives.
    ControlSpec{.name = "InfoPic",
                .kind = K::StatusLine,
                .place = {120, 3480, 5535, 255},
                .font = {.bold = true},
                .slot = 224,
                .composed = "{224}65536 MB    {225}65536 MB    {226}65536 MB"},
};

} // namespace

ControlTable memoryPageControls() {
    return kMemoryPage;
}

} // namespace kelvora
