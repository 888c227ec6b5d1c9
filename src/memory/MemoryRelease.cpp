#include "memory/MemoryRelease.h"

#include <algorithm>

#include "memory/MainTicker.h"

namespace kelvora {

HeadroomGuard::HeadroomGuard(MemoryInfo& info) : info_(info) {}

std::uint64_t HeadroomGuard::reserveFor(std::uint64_t totalBytes) {
    return BlockAllocator::reserveFor(totalBytes);
}

void HeadroomGuard::reread() {
    ++reads_;
    sample_ = info_.GlobalMemoryStatus();
    limit_ = info_.ownMemoryLimit();
    if (std::optional<MemoryPressure> pressure = info_.memoryPressure())
        underPressure_ = pressureTooHigh(*pressure);
    allowedSinceRead_ = 0;
    blocksSinceRead_ = 0;
}

bool HeadroomGuard::pressureTooHigh(const MemoryPressure& now) {
    if (now.someAvg10 > kPressureLimit)
        return true;
    if (!windowStart_ || now.someTotalUs < windowStart_->someTotalUs || now.sampledAtUs < windowStart_->sampledAtUs)
        windowStart_ = now;
    const std::uint64_t elapsed = now.sampledAtUs - windowStart_->sampledAtUs;
    if (elapsed < kStallWindowUs)
        return false;
    const auto stalled = static_cast<double>(now.someTotalUs - windowStart_->someTotalUs);
    windowStart_ = now;
    return stalled * 100.0 > kStallShareLimit * static_cast<double>(elapsed);
}

bool HeadroomGuard::estimateAllows() const {
    if (!sample_)
        return false;
    std::uint64_t headroom = sample_->availBytes + sample_->swapFreeBytes;
    headroom -= std::min(headroom, allowedSinceRead_);
    if (headroom < reserveFor(sample_->totalBytes) + BlockAllocator::kBlockFootprint)
        return false;
    // A limit above physical memory binds nothing the machine's figures do not already cover.
    if (!limit_ || limit_->limitBytes >= sample_->totalBytes)
        return true;
    std::uint64_t room = limit_->limitBytes - std::min(limit_->limitBytes, limit_->usedBytes);
    room -= std::min(room, allowedSinceRead_);
    return room >= reserveFor(limit_->limitBytes) + BlockAllocator::kBlockFootprint;
}

HeadroomGuard::Verdict HeadroomGuard::nextBlock() {
    if (!sample_ || blocksSinceRead_ >= kRereadEvery)
        reread();
    if (!underPressure_ && !estimateAllows() && blocksSinceRead_ > 0)
        reread();
    if (underPressure_)
        return Verdict::UnderPressure;
    if (!estimateAllows())
        return Verdict::TooLittleRoom;
    allowedSinceRead_ += BlockAllocator::kBlockFootprint;
    ++blocksSinceRead_;
    return Verdict::Allow;
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
    const std::optional<int> oomBefore = info_.oomScoreAdjust();
    if (oomBefore)
        info_.setOomScoreAdjust(kReleaseOomScoreAdjust);
    Outcome outcome = claimAll(count);
    finish();
    // Lowering back to the value it had is allowed without privilege.
    if (oomBefore)
        info_.setOomScoreAdjust(*oomBefore);
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
        HeadroomGuard::Verdict verdict = headroom.nextBlock();
        if (verdict == HeadroomGuard::Verdict::UnderPressure)
            return Outcome::StoppedForPressure;
        if (verdict != HeadroomGuard::Verdict::Allow)
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
