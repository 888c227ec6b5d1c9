#include "process/CpuPageControls.h"

#include <array>

namespace kelvora {
namespace {

using K = ControlKind;

constexpr std::array kCpuPage{
    ControlSpec{.name = "Label15", .place = {120, 480, 5535, 255}, .slot = 198},
    ControlSpec{.name = "OptionNonFocus0", .kind = K::OptionButton, .place = {240, 840, 1335, 195}, .slot = 199},
    ControlSpec{.name = "OptionNonFocus1", .kind = K::OptionButton, .place = {1920, 840, 1455, 195}, .slot = 200},
    ControlSpec{.name = "Label16", .place = {120, 1200, 5295, 255}, .slot = 201},
    ControlSpec{.name = "OptionFocus0", .kind = K::OptionButton, .place = {240, 1560, 1575, 195}, .slot = 202},
    ControlSpec{.name = "OptionFocus1", .kind = K::OptionButton, .place = {1920, 1560, 1455, 195}, .slot = 199},
    // The count line: "Processes: 999 running".
    ControlSpec{.name = "ProcessesLabel", .place = {120, 1800, 5415, 255}, .slot = 218, .composed = "{218} 999 {219}"},
    ControlSpec{.name = "ProcessList", .kind = K::ListBox, .place = {120, 2160, 5535, 1635}},
};

} // namespace

ControlTable cpuPageControls() {
    return kCpuPage;
}

} // namespace kelvora
