#include "update/UpdateWindowControls.h"

#include <array>

namespace kelvora {
namespace {

using K = ControlKind;

constexpr std::array kUpdateWindow{
    ControlSpec{.name = "lblInfo", .place = {120, 120, 4980, 225}, .slot = 145},
    ControlSpec{.name = "PB1", .kind = K::Picture, .place = {120, 480, 5175, 255}},
    ControlSpec{.name = "cmdCanc", .kind = K::Button, .place = {4080, 840, 1215, 375}, .slot = 147},
};

} // namespace

ControlTable updateWindowControls() {
    return kUpdateWindow;
}

} // namespace kelvora
