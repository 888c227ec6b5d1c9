#include "platform/linux/JsonValue.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

namespace kelvora {
namespace {

constexpr int kMaxDepth = 200; // a window tree is a few levels deep; a hostile reply must not exhaust the stack

class JsonParser {
public:
    JsonParser(const std::string& text, std::size_t nodeBudget) : text_(text), nodesLeft_(nodeBudget) {}

    std::optional<JsonValue> document() {
        JsonValue value;
        if (!parseValue(value, 0))
            return std::nullopt;
        skipSpace();
        if (pos_ != text_.size())
            return std::nullopt;
        return value;
    }

private:
    void skipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r' ||
                                       text_[pos_] == '\t'))
            ++pos_;
    }

    bool take(char c) {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool takeWord(const char* word) {
        const std::string w(word);
        if (text_.compare(pos_, w.size(), w) != 0)
            return false;
        pos_ += w.size();
        return true;
    }

    bool parseValue(JsonValue& value, int depth) {
        if (depth > kMaxDepth || nodesLeft_ == 0)
            return false;
        --nodesLeft_;
        skipSpace();
        if (pos_ >= text_.size())
            return false;
        const char c = text_[pos_];
        if (c == '{')
            return parseObject(value, depth);
        if (c == '[')
            return parseArray(value, depth);
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            return parseString(value.text);
        }
        if (takeWord("true") || takeWord("false")) {
            value.kind = JsonValue::Kind::Bool;
            value.flag = c == 't';
            return true;
        }
        if (takeWord("null"))
            return true;
        return parseNumber(value);
    }

    bool parseObject(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++pos_;
        if (take('}'))
            return true;
        do {
            std::string key;
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != '"' || !parseString(key) || !take(':'))
                return false;
            JsonValue member;
            if (!parseValue(member, depth + 1))
                return false;
            value.memberNames.push_back(std::move(key));
            value.memberValues.push_back(std::move(member));
        } while (take(','));
        return take('}');
    }

    bool parseArray(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++pos_;
        if (take(']'))
            return true;
        do {
            JsonValue item;
            if (!parseValue(item, depth + 1))
                return false;
            value.items.push_back(std::move(item));
        } while (take(','));
        return take(']');
    }

    bool parseNumber(JsonValue& value) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && std::string_view("+-.0123456789eE").find(text_[pos_]) != std::string::npos)
            ++pos_;
        if (pos_ == start)
            return false;
        const std::string digits = text_.substr(start, pos_ - start);
        char* end = nullptr;
        value.kind = JsonValue::Kind::Number;
        value.number = std::strtod(digits.c_str(), &end);
        return end == digits.c_str() + digits.size();
    }

    // Escapes other than \uXXXX are kept as their character; \uXXXX becomes UTF-8 (names are only compared).
    bool parseString(std::string& out) {
        ++pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size())
                return false;
            const char e = text_[pos_++];
            if (e == 'u') {
                if (pos_ + 4 > text_.size())
                    return false;
                appendUtf8(out, std::strtoul(text_.substr(pos_, 4).c_str(), nullptr, 16));
                pos_ += 4;
            } else {
                out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 'b' ? '\b' : e == 'f' ? '\f' : e;
            }
        }
        return false;
    }

    static void appendUtf8(std::string& out, unsigned long code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    std::size_t nodesLeft_;
};

} // namespace

const JsonValue* JsonValue::find(const std::string& key) const {
    for (std::size_t i = 0; i < memberNames.size(); ++i)
        if (memberNames[i] == key)
            return &memberValues[i];
    return nullptr;
}

std::optional<std::uint64_t> JsonValue::wholeNumber(const std::string& key, std::uint64_t maximum) const {
    const JsonValue* value = find(key);
    if (!value || value->kind != Kind::Number || value->number < 0 || std::floor(value->number) != value->number ||
        value->number > static_cast<double>(maximum))
        return std::nullopt;
    return static_cast<std::uint64_t>(value->number);
}

bool JsonValue::isTrue(const std::string& key) const {
    const JsonValue* value = find(key);
    return value && value->kind == Kind::Bool && value->flag;
}

std::optional<JsonValue> parseJson(const std::string& text, std::size_t nodeBudget) {
    return JsonParser(text, nodeBudget).document();
}

} // namespace kelvora
