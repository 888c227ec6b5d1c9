#include "app/Navigation.h"

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

} // namespace kelvora::navigation
