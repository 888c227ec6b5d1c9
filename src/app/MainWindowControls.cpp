#include "app/MainWindowControls.h"

#include <array>

namespace kelvora {
namespace {

constexpr int kPx = 15; // twips per pixel: the main window was laid out in whole pixels
constexpr TwipRect px(int left, int top, int width, int height) {
    return {left * kPx, top * kPx, width * kPx, height * kPx};
}

constexpr TwipRect kPageArea = px(176, 72, 385, 257);

using K = ControlKind;

constexpr ControlSpec navBar(const char* name, int index) {
    return {.name = name, .kind = K::Picture, .place = px(8, 88 + 24 * index, 162, 23)};
}
constexpr ControlSpec navLabel(const char* name, int index) {
    return {.name = name, .kind = K::Link, .place = px(32, 92 + 24 * index, 129, 17), .slot = 187 + index};
}
constexpr ControlSpec pageTab(const char* name, int index) {
    return {.name = name, .kind = K::Tab, .place = kPageArea, .slot = 187 + index};
}

constexpr std::array kMainWindow{
    ControlSpec{.name = "Image1", .kind = K::Picture, .place = px(0, 0, 876, 63)},
    ControlSpec{.name = "Image12", .kind = K::Picture, .place = px(464, 0, 106, 24)},
    ControlSpec{.name = "Label2", .kind = K::Picture, .place = px(464, 0, 9, 24)},
    ControlSpec{.name = "Label1",
                .kind = K::Label,
                .place = px(480, 5, 81, 17),
                .font = {.points = 9},
                .align = TextAlign::Centre,
                .slot = 119,
                .composed = "{119} 2.40"},
    ControlSpec{.name = "Image2", .kind = K::Picture, .place = px(8, 72, 162, 173)},
    navBar("a1", 0),
    navBar("a2", 1),
    navBar("a3", 2),
    navBar("a4", 3),
    navBar("a5", 4),
    navBar("a6", 5),
    navLabel("Label3", 0),
    navLabel("Label4", 1),
    navLabel("Label5", 2),
    navLabel("Label6", 3),
    navLabel("Label7", 4),
    navLabel("Label8", 5),
    ControlSpec{.name = "Image9", .kind = K::Picture, .place = px(8, 256, 163, 75)},
    ControlSpec{.name = "Label22", .kind = K::Link, .place = px(72, 312, 89, 17), .font = {.bold = true}, .slot = 135},
    ControlSpec{.name = "Label21", .kind = K::Link, .place = px(72, 264, 97, 65), .wraps = true, .slot = 193},
    ControlSpec{.name = "Line1", .kind = K::Line, .place = px(0, 63, 712, 1)},
    ControlSpec{.name = "Image10", .kind = K::Picture, .place = px(0, 336, 721, 24)},
    ControlSpec{.name = "Label17", .kind = K::Label, .place = px(191, 338, 364, 15), .align = TextAlign::Right},
    pageTab("x1", 0),
    pageTab("x2", 1),
    pageTab("x3", 2),
    pageTab("x4", 3),
};

constexpr std::array kInformationPage{
    ControlSpec{.name = "Label9", .place = px(8, 32, 369, 49), .wraps = true, .slot = 194},
    ControlSpec{.name = "Label10", .place = px(8, 88, 369, 73), .wraps = true, .slot = 195},
    ControlSpec{.name = "Label11", .place = px(184, 200, 185, 17), .align = TextAlign::Right, .slot = 211},
    ControlSpec{.name = "Command1", .kind = K::Button, .place = px(280, 224, 89, 25), .slot = 135},
};

constexpr std::array kSettingsPage{
    ControlSpec{.name = "Label12", .place = px(8, 42, 97, 17), .align = TextAlign::Right, .slot = 196},
    ControlSpec{.name = "optLang", .kind = K::ComboBox, .place = px(112, 40, 177, 23)},
    ControlSpec{.name = "Command2", .kind = K::Button, .place = px(296, 40, 81, 25), .slot = 197},
};

constexpr ControlSpec menu(const char* name, int slot) {
    return {.name = name, .kind = K::Menu, .slot = slot};
}

constexpr std::array kMainMenu{
    menu("prog1", 177), menu("za", 178),   menu("pom1", 179), menu("read1", 182),
    menu("lic1", 183),  menu("spru", 184), menu("strw", 185), menu("oprog", 186),
};

constexpr std::array kSplash{
    ControlSpec{.name = "Image39", .kind = K::Picture, .place = px(0, 0, 876, 63)},
    ControlSpec{.name = "Line2", .kind = K::Line, .place = {0, 940, 10320, 15}},
    ControlSpec{.name = "Label2", .place = px(-56, 68, 441, 17), .align = TextAlign::Right, .slot = 100},
};

} // namespace

ControlTable mainWindowControls() {
    return kMainWindow;
}

ControlTable informationPageControls() {
    return kInformationPage;
}

ControlTable settingsPageControls() {
    return kSettingsPage;
}

ControlTable mainMenuControls() {
    return kMainMenu;
}

ControlTable splashControls() {
    return kSplash;
}

} // namespace kelvora
