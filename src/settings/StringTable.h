#pragma once

#include <array>
#include <string>

namespace kelvora {

// The process's 1000 text slots, filled once from the language file at start-up and read-only afterwards.
class StringTable {
public:
    static constexpr int kSlots = 1000;

    // The text of `slot`; empty for a slot nobody set or a number outside 0..999.
    const std::string& operator[](int slot) const;
    void set(int slot, std::string text);
    void clear();

private:
    std::array<std::string, kSlots> slots_{};
};

} // namespace kelvora
