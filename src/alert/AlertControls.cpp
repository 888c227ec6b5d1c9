#include "alert/AlertControls.h"

#include <array>

namespace kelvora {
namespace {

constexpr std::array kAlert{
    ControlSpec{.name = "Label1", .place = {360, 120, 2295, 255}, .font = {.points = 11.25, .bold = true}},
    ControlSpec{.name = "lblTitle", .place = {120, 600, 2535, 255}, .font = {.bold = true}, .align = TextAlign::Centre},
    ControlSpec{.name = "lblAlert", .place = {240, 840, 2295, 1215}, .align = TextAlign::Centre, .wraps = true},
};

} // namespace

ControlTable alertControls() {
    return kAlert;
}

} // namespace kelvora
