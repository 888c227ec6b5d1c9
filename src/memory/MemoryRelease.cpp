#include "memory/MemoryRelease.h"

#include <algorithm>

#include "memory/MainTicker.h"

namespace kelvora {

HeadroomGuard::HeadroomGuard(MemoryInfo& info) : info_(info) {}

std::uint64_t HeadroomGuard::reserveFor(std::uint64_t totalBytes) {
    return std::max(kMinimumReserve, totalBytes / 20);
}

void HeadroomGuard::reread() {
    ++reads_;
    sample_ = info_.GlobalMemoryStatus();
    if (sample_)
        reserve_ = reserveFor(sample_->totalBytes);
    allowedSinceRead_ = 0;
    blocksSinceRead_ = 0;
}

bool HeadroomGuard::estimateAllows() const {
    if (!sample_)
        return false;
    std::uint64_t headroom = sample_->availBytes + sample_->swapFreeBytes;
    headroom -= std::min(headroom, allowedSinceRead_);
    return headroom >= reserve_ + BlockAllocator::kBlockFootprint;
}

bool HeadroomGuard::allowsNextBlock() {
    if (!sample_ || blocksSinceRead_ >= kRereadEvery)
        reread();
    if (!estimateAllows()) {
        if (blocksSinceRead_ > 0)
            reread();
        if (!estimateAllows())
            return false;
    }
    allowedSinceRead_ += BlockAllocator::kBlockFootprint;
    ++blocksSinceRead_;
    return true;
}

MemoryRelease::MemoryRelease(ReleaseView& view, BlockAllocator& allocator, MemoryInfo& info, MainTicker& ticker)
    : view_(view), allocator_(allocator), info_(info), ticker_(ticker) {}

MemoryRelease::~MemoryRelease() {
    releaseBlocks();
}

void MemoryRelease::releaseBlocks() {
    if (running_)
        interrupted_ = true;
    for (char16_t* block : MemBlocks_)
        allocator_.freeBlock(block);
    MemBlocks_.clear();
}

MemoryRelease::Outcome MemoryRelease::ReleaseMemory(std::int32_t count) {
    if (running_)
        return Outcome::AlreadyRunning;
    releaseBlocks();
    if (count < 1)
        return Outcome::NothingToClaim;
    running_ = true;
    interrupted_ = false;
    MemBlocks_.reserve(static_cast<std::size_t>(count));
    Outcome outcome = claimAll(count);
    finish();
    running_ = false;
    if (outcome == Outcome::Completed)
        view_.beep();
    return outcome;
}

MemoryRelease::Outcome MemoryRelease::claimAll(std::int32_t count) {
    view_.setGaugeScale(count);
    ticker_.PanelRefreshTicks = 5;
    HeadroomGuard headroom(info_);
    for (std::int32_t i = 0; i < count; ++i) {
        if (!headroom.allowsNextBlock())
            return Outcome::StoppedForHeadroom;
        char16_t* block = allocator_.claimBlock();
        if (!block)
            return Outcome::StoppedForHeadroom;
        MemBlocks_.push_back(block);
        // The bar shows the blocks created before this one; painting is held so each step is drawn once.
        view_.suspendPainting();
        view_.setGaugeBar(count - i, i);
        view_.yieldToEvents();
        view_.resumePainting();
        view_.yieldToEvents();
        if (interrupted_)
            return Outcome::Interrupted;
    }
    return Outcome::Completed;
}

void MemoryRelease::finish() {
    ticker_.PanelRefreshTicks = 10;
    view_.emptyGauge();
    releaseBlocks();
}

} // namespace kelvora
