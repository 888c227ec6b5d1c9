#include "settings/StringTable.h"

namespace kelvora {

namespace {
const std::string kEmpty;
}

const std::string& StringTable::operator[](int slot) const {
    if (slot < 0 || slot >= kSlots)
        return kEmpty;
    return slots_[static_cast<std::size_t>(slot)];
}

void StringTable::set(int slot, std::string text) {
    if (slot < 0 || slot >= kSlots)
        return;
    slots_[static_cast<std::size_t>(slot)] = std::move(text);
}

void StringTable::clear() {
    for (auto& slot : slots_)
        slot.clear();
}

} // namespace kelvora
