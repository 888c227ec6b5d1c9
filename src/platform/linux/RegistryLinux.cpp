// Placeholder backend; replaced when this part of the platform layer is built.
#include "platform/Registry.h"

namespace kelvora {
namespace {

class StubRegistry : public Registry {
public:
    long OpenKey(std::uint32_t, const std::string&, std::uint32_t, RegKey& key) override {
        key = kNullKey;
        return 2;
    }
    long CreateKey(std::uint32_t, const std::string&, std::uint32_t, RegKey& key) override {
        key = kNullKey;
        return 2;
    }
    long QueryValue(RegKey, const std::string&, std::uint32_t&, std::uint32_t&, std::vector<std::uint8_t>*) override {
        return 2;
    }
    long SetValue(RegKey, const std::string&, std::uint32_t, const std::vector<std::uint8_t>&) override { return 2; }
    long CloseKey(RegKey) override { return 0; }
};

} // namespace

std::unique_ptr<Registry> createRegistry() { return std::make_unique<StubRegistry>(); }

} // namespace kelvora
