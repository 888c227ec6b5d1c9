#pragma once

#include "platform/TreeRegistry.h"

namespace kelvora::fake {

// A registry held in memory, with the real store's semantics; a test can make it refuse every write.
class FakeRegistry : public TreeRegistry {
public:
    void setWritable(bool writable) { writable_ = writable; }
    RegistryTree& tree() { return tree_; }
    int writeCount() const { return writes_; }

protected:
    RegistryTree load() override { return tree_; }
    long update(const std::function<bool(RegistryTree&)>& change) override;

private:
    RegistryTree tree_;
    bool writable_ = true;
    int writes_ = 0;
};

} // namespace kelvora::fake
