#include "frontend/ControlTable.h"

#include <cmath>
#include <cstdlib>

#include "settings/StringTable.h"

namespace kelvora {
namespace {

constexpr double kTwipsPerPixel = 15.0;

bool showsMnemonic(ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::CheckBox || kind == ControlKind::OptionButton ||
           kind == ControlKind::Tab;
}

// "&&" stays as one "&"; a single "&" marks the next letter and is not drawn.
std::string withoutMnemonic(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

// Replaces every "{NNN}" of `pattern` with the text of slot NNN.
std::string compose(std::string_view pattern, const StringTable& strings) {
    std::string text;
    while (!pattern.empty()) {
        const std::size_t open = pattern.find('{');
        const std::size_t close = pattern.find('}', open);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            text += pattern;
            break;
        }
        text += pattern.substr(0, open);
        text += strings[std::atoi(std::string(pattern.substr(open + 1, close - open - 1)).c_str())];
        pattern.remove_prefix(close + 1);
    }
    return text;
}

} // namespace

int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

PixelRect toPixels(const TwipRect& place) {
    return {twipsToPixels(place.left), twipsToPixels(place.top), twipsToPixels(place.width),
            twipsToPixels(place.height)};
}

const ControlSpec& findControl(ControlTable table, std::string_view name) {
    for (const ControlSpec& control : table) {
        if (name == control.name)
            return control;
    }
    std::abort();
}

int textInset(ControlKind kind) {
    switch (kind) {
    case ControlKind::Button:
        return 8; // edges and the focus frame
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
        return 20; // the box or circle and the gap after it
    case ControlKind::ComboBox:
        return 26; // the drop button and the edit frame
    case ControlKind::Tab:
        return 22; // the tab's padding and border; the tab starts at the container's left edge
    case ControlKind::StatusLine:
        return 4; // the strip draws its line a small margin in
    default:
        return 0;
    }
}

std::vector<std::string> shownTexts(const ControlSpec& control, const StringTable& strings) {
    std::vector<std::string> texts;
    if (control.composed != nullptr) {
        std::string_view patterns = control.composed;
        for (std::size_t bar = patterns.find('|'); !patterns.empty(); bar = patterns.find('|')) {
            texts.push_back(compose(patterns.substr(0, bar), strings));
            patterns.remove_prefix(bar == std::string_view::npos ? patterns.size() : bar + 1);
        }
    }
    for (int i = 0; control.composed == nullptr && control.slot != kNoSlot && i < control.items; ++i)
        texts.push_back(strings[control.slot + i]);
    if (showsMnemonic(control.kind)) {
        for (std::string& text : texts)
            text = withoutMnemonic(text);
    }
    return texts;
}

} // namespace kelvora
