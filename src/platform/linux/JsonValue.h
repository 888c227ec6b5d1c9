#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// A JSON document read into memory, enough for the short replies of desktop compositors.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool flag = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    // An object's members: names and values side by side (a pair would need JsonValue complete here).
    std::vector<std::string> memberNames;
    std::vector<JsonValue> memberValues;

    // The member called `key` of an object, or null when there is none.
    const JsonValue* find(const std::string& key) const;
    // The member as a whole number of 0 .. `maximum`, or nothing when it is missing, fractional or out of range.
    std::optional<std::uint64_t> wholeNumber(const std::string& key, std::uint64_t maximum) const;
    bool isTrue(const std::string& key) const;
};

// Enough values for a compositor's tree of thousands of windows; a reply beyond it is not one.
constexpr std::size_t kJsonNodeBudget = 200000;

// The document, or nothing when `text` is not JSON, nests deeper than any reply we read or holds more than
// `nodeBudget` values (each costs far more memory than its text).
std::optional<JsonValue> parseJson(const std::string& text, std::size_t nodeBudget = kJsonNodeBudget);

} // namespace kelvora
