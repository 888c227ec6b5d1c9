#include "app/Navigation.h"

#include <string>

namespace kelvora::navigation {

const Item* findItem(std::string_view control) {
    for (const Item& item : kItems) {
        if (control == item.control)
            return &item;
    }
    return nullptr;
}

const Item* itemShowingPage(int page) {
    for (const Item& item : kItems) {
        if (item.command == Command::ShowPage && item.page == page)
            return &item;
    }
    return nullptr;
}

bool keyActivates(Key key, bool autoRepeat) {
    return key != Key::Other && !autoRepeat;
}

bool showsFocusCue(FocusReason reason) {
    return reason == FocusReason::Keyboard;
}

std::string accessibleNameOf(std::string_view caption) {
    std::string name;
    name.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        // "&&" stands for one ampersand; a single one only marks the access key.
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        else if (caption[i] == '&')
            continue;
        name += caption[i];
    }
    return name;
}

} // namespace kelvora::navigation
