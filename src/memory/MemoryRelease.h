#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/MemoryInfo.h"

namespace kelvora {

class MainTicker;

// What a release needs from the window: the gauge, painting, the event loop and the bell.
class ReleaseView {
public:
    virtual ~ReleaseView() = default;
    // The gauge's vertical scale, in blocks.
    virtual void setGaugeScale(std::int32_t units) = 0;
    // The bar's top and height in gauge units; it covers the bottom `height` units of the frame.
    virtual void setGaugeBar(std::int32_t top, std::int32_t height) = 0;
    virtual void emptyGauge() = 0;
    virtual void suspendPainting() = 0;
    virtual void resumePainting() = 0;
    // Runs every pending event before it returns; timers and clicks may start new work in here.
    virtual void yieldToEvents() = 0;
    virtual void beep() = 0;
};

// Decides before each block whether claiming it still leaves the safety reserve: of the machine's available memory
// plus free disk swap, and of this process's own memory limit where it has one. It reads the figures once and then
// subtracts what it allowed, re-reading every kRereadEvery blocks and once more before it refuses, so a refusal never
// rests on a stale estimate. Each read also looks at memory pressure: a machine that already stalls for memory gains
// nothing from a release that pushes more of it out to swap.
class HeadroomGuard {
public:
    enum class Verdict { Allow, TooLittleRoom, UnderPressure };
    static constexpr std::uint64_t kMinimumReserve = BlockAllocator::kMinimumReserve;
    static constexpr int kRereadEvery = 16;
    // Stalls for memory in more than this per cent of the last ten seconds (the kernel's average) stop a release:
    // waiting one second in ten is a stall users feel, while evicting page cache, which a release is for, measured
    // well under 1 on that average.
    static constexpr double kPressureLimit = 10.0;
    // That average lags by seconds, so a release also stops at once when some task stalled for more than half of
    // any second of it: that is thrashing, while the release's own reclaim of clean cache measured about 13 %.
    static constexpr double kStallShareLimit = 50.0;
    static constexpr std::uint64_t kStallWindowUs = 1'000'000;

    explicit HeadroomGuard(MemoryInfo& info);
    // The larger of 256 MiB and 5 % of total memory (or of the limit).
    static std::uint64_t reserveFor(std::uint64_t totalBytes);

    Verdict nextBlock();
    int reads() const { return reads_; }

private:
    bool estimateAllows() const;
    void reread();
    bool pressureTooHigh(const MemoryPressure& now);

    MemoryInfo& info_;
    std::optional<PhysicalMemory> sample_;
    std::optional<MemoryLimit> limit_;
    std::optional<MemoryPressure> windowStart_;
    bool underPressure_ = false;
    std::uint64_t allowedSinceRead_ = 0;
    int blocksSinceRead_ = 0;
    int reads_ = 0;
};

// The memory release: claims a counted number of blocks one by one with the gauge rising, then frees them all at once.
class MemoryRelease {
public:
    enum class Outcome {
        Completed,          // every block claimed and freed; the bell rang
        NothingToClaim,     // a count below 1
        StoppedForHeadroom, // a block could not be created or would have left too little memory
        StoppedForPressure, // the machine started to stall for memory
        Interrupted,        // the window freed the blocks during a yield
        AlreadyRunning,     // ignored: releases never nest
    };

    // While a release claims, the kernel is told to end this process first should memory run out anyway.
    static constexpr int kReleaseOomScoreAdjust = 1000;

    MemoryRelease(ReleaseView& view, BlockAllocator& allocator, MemoryInfo& info, MainTicker& ticker);
    ~MemoryRelease();
    MemoryRelease(const MemoryRelease&) = delete;
    MemoryRelease& operator=(const MemoryRelease&) = delete;

    Outcome ReleaseMemory(std::int32_t count);
    bool running() const { return running_; }
    // Frees every block held now (the main window's unload); a running release then ends quietly.
    void releaseBlocks();
    std::size_t heldBlocks() const { return MemBlocks_.size(); }

private:
    Outcome claimAll(std::int32_t count);
    void finish();

    ReleaseView& view_;
    BlockAllocator& allocator_;
    MemoryInfo& info_;
    MainTicker& ticker_;
    std::vector<char16_t*> MemBlocks_;
    bool running_ = false;
    bool interrupted_ = false;
};

} // namespace kelvora
