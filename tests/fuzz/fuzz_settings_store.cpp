// Reads arbitrary bytes as a settings store file; whatever was read must write back to a text that reads back
// clean into the very same keys and values, and writes again to the very same text. Aborts otherwise.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/RegFileFormat.h"
#include "platform/RegistryTree.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool sameValues(const kelvora::RegistryTree::Key& a, const kelvora::RegistryTree::Key& b) {
    if (a.path != b.path || a.values.size() != b.values.size())
        return false;
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        const kelvora::RegistryValue& x = a.values[i];
        const kelvora::RegistryValue& y = b.values[i];
        if (x.name != y.name || x.type != y.type || x.data != y.data)
            return false;
    }
    return true;
}

bool sameTree(const kelvora::RegistryTree& a, const kelvora::RegistryTree& b) {
    if (a.keys().size() != b.keys().size())
        return false;
    auto other = b.keys().begin();
    for (const auto& [folded, key] : a.keys()) {
        if (folded != other->first || !sameValues(key, other->second))
            return false;
        ++other;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const kelvora::RegFileContents first = kelvora::readRegFile(bytes);
    const std::string written = kelvora::writeRegFile(first.tree);

    const kelvora::RegFileContents second = kelvora::readRegFile(written);
    check(second.clean);
    check(sameTree(first.tree, second.tree));
    check(kelvora::writeRegFile(second.tree) == written);
    return 0;
}
