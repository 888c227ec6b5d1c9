// Claim rate of the real release (offscreen window: yields, gauge, painting held) against a bare loop over the same
// huge-page blocks and against plain std::u16string blocks. Each variant claims at most 2 GB in all.
#include <sys/mman.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frontend/AppServices.h"
#include "memory/MainTicker.h"
#include "memory/qt/MemoryPage.h"
#include "platform/MemoryInfo.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "settings/StringTable.h"

namespace {

using namespace kelvora;

constexpr int kBlocks = 250; // 500 MB a round
constexpr int kRounds = 8;   // 4 GB per variant, 500 MB at a time
constexpr double kMegabytesPerRound = kBlocks * BlockAllocator::kBlockBytes / 1e6;

double seconds(const std::function<void()>& run) {
    auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The real blocks, with the time spent claiming them: what is left of a round is the routine's own work.
class TimedAllocator : public BlockAllocator {
public:
    explicit TimedAllocator(BlockAllocator& blocks) : blocks_(blocks) {}
    char16_t* claimBlock() override {
        const auto start = std::chrono::steady_clock::now();
        char16_t* block = blocks_.claimBlock();
        claiming += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return block;
    }
    void freeBlock(char16_t* block) override { blocks_.freeBlock(block); }
    double claiming = 0;

private:
    BlockAllocator& blocks_;
};

void bareHugePageLoop(BlockAllocator& allocator) {
    std::vector<char16_t*> blocks;
    blocks.reserve(kBlocks);
    for (int i = 0; i < kBlocks; ++i)
        blocks.push_back(allocator.claimBlock());
    for (char16_t* block : blocks)
        allocator.freeBlock(block);
}

// One write per block: the kernel's own fault and zeroing of each huge page, a ceiling for any filled claim. The
// kernel clears the faulting end of a huge page last, so where the write lands sets the order of its clear: both
// ends are timed, and the faster is the ceiling.
void touchOnly(std::size_t writeAt) {
    constexpr std::size_t kPage = 2u * 1024u * 1024u;
    std::vector<void*> pages;
    pages.reserve(kBlocks);
    for (int i = 0; i < kBlocks; ++i) {
        void* raw = ::mmap(nullptr, 2 * kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED)
            break;
        auto* aligned = static_cast<char*>(raw) + (kPage - reinterpret_cast<std::uintptr_t>(raw) % kPage) % kPage;
        ::madvise(aligned, kPage, MADV_HUGEPAGE);
        aligned[writeAt] = ' ';
        pages.push_back(raw);
    }
    for (void* raw : pages)
        ::munmap(raw, 2 * kPage);
}

void plainStrings() {
    std::vector<std::u16string> blocks;
    blocks.reserve(kBlocks);
    for (int i = 0; i < kBlocks; ++i)
        blocks.emplace_back(BlockAllocator::kBlockChars, u' ');
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    StringTable strings;
    strings.set(224, "Total: ");
    strings.set(225, "Used: ");
    strings.set(226, "Free: ");
    fake::FakeFileSystem files;
    fake::FakeRegistry registry;
    fake::FakeProcesses processes;
    fake::FakeForegroundWindows foreground;
    fake::FakeShell shell;
    auto memory = createMemoryInfo();
    auto clock = createTickClock();
    auto hugePages = createBlockAllocator();
    TimedAllocator timed(*hugePages);
    BlockAllocator* allocator = &timed;
    AppServices services{strings, files, registry, *memory, *clock, processes, foreground, shell, "http://127.0.0.1:9"};

    // The main window as the program has it: the page inside a window, GlobalTimer ticking its counters.
    QWidget window;
    window.resize(568, 358);
    MainTicker ticker;
    MemoryPage page(services, ticker, *allocator, &window, &window);
    page.setGeometry(176, 72, 385, 257);
    page.applyTexts();
    page.setDefaults();
    page.panel().setCheckOptionRAM(1, false); // the bench decides when releases run
    window.show();
    QTimer globalTimer;
    QObject::connect(&globalTimer, &QTimer::timeout, [&] {
        if (ticker.tick().refreshPanel)
            page.RefreshMemoryPanel();
    });
    globalTimer.start(100);
    QCoreApplication::processEvents();

    std::vector<double> release, bare, strings16, touchedBottom, touchedTop;
    std::vector<double> releaseClaims, bareClaims; // of each round, the part spent in claimBlock
    bool allCompleted = true;
    // Each round runs the huge-page variants in a rotated order, so that each takes every place in turn (the claim
    // that follows the frees of another pays for them); the small-page strings come last, since they leave free
    // memory in pieces that a huge-page fault would have to compact.
    const std::array<std::function<void()>, 4> hugePageVariants{
        [&] {
            const double before = timed.claiming;
            release.push_back(seconds([&] {
                allCompleted = page.ReleaseMemory(kBlocks) == MemoryRelease::Outcome::Completed && allCompleted;
            }));
            releaseClaims.push_back(timed.claiming - before);
        },
        [&] {
            const double before = timed.claiming;
            bare.push_back(seconds([&] { bareHugePageLoop(timed); }));
            bareClaims.push_back(timed.claiming - before);
        },
        [&] { touchedBottom.push_back(seconds([] { touchOnly(0); })); },
        [&] { touchedTop.push_back(seconds([] { touchOnly(BlockAllocator::kBlockBytes - 1); })); },
    };
    for (int round = 0; round < kRounds; ++round) {
        for (std::size_t k = 0; k < hugePageVariants.size(); ++k)
            hugePageVariants[(static_cast<std::size_t>(round) + k) % hugePageVariants.size()]();
    }
    for (int round = 0; round < kRounds; ++round)
        strings16.push_back(seconds(plainStrings));
    // The same routine over blocks that cost nothing: what the routine adds to each block.
    fake::FakeBlockAllocator nothing;
    MemoryPage overheadPage(services, ticker, nothing, &window, &window);
    overheadPage.setGeometry(176, 72, 385, 257);
    overheadPage.applyTexts();
    overheadPage.setDefaults();
    overheadPage.panel().setCheckOptionRAM(1, false);
    std::vector<double> overhead;
    for (int round = 0; round < kRounds; ++round)
        overhead.push_back(seconds([&] { overheadPage.ReleaseMemory(kBlocks); }));
    const double overheadUs = *std::min_element(overhead.begin(), overhead.end()) * 1e6 / kBlocks;

    auto bestRate = [](std::vector<double> times) {
        return kMegabytesPerRound / *std::min_element(times.begin(), times.end());
    };
    const double releaseRate = bestRate(release), bareRate = bestRate(bare), stringRate = bestRate(strings16);
    const double bottomRate = bestRate(touchedBottom), topRate = bestRate(touchedTop);
    const double touchRate = std::max(bottomRate, topRate);
    // Per block of the best round of each: the claims, and the rest (the frees, and in the release its own work).
    auto perBlock = [](const std::vector<double>& rounds, const std::vector<double>& claims, bool rest) {
        const auto best = std::min_element(rounds.begin(), rounds.end()) - rounds.begin();
        return (rest ? rounds[best] - claims[best] : claims[best]) * 1e6 / kBlocks;
    };

    std::printf("claim of %d blocks (%.0f MB), best of %d rounds\n", kBlocks, kMegabytesPerRound, kRounds);
    std::printf("  release routine (offscreen window): %8.0f MB/s%s\n", releaseRate,
                allCompleted ? "" : "  (a round stopped early: too little free memory)");
    std::printf("  bare loop, huge-page blocks:        %8.0f MB/s\n", bareRate);
    std::printf("  plain std::u16string blocks:        %8.0f MB/s\n", stringRate);
    std::printf("  kernel zeroing only (one write a block): %8.0f MB/s written at the bottom, %.0f MB/s at the top\n",
                bottomRate, topRate);
    std::printf("    ceiling, the faster: %.2f x u16string\n", touchRate / stringRate);
    std::printf("  the routine's own cost a block (no memory claimed): %.1f us\n", overheadUs);
    std::printf("  a block in the best rounds: claim %.1f us in the release, %.1f us in the bare loop; the rest %.1f us"
                " and %.1f us\n",
                perBlock(release, releaseClaims, false), perBlock(bare, bareClaims, false),
                perBlock(release, releaseClaims, true), perBlock(bare, bareClaims, true));
    std::printf("  release / bare loop:     %5.2f  (goal >= 0.9)\n", releaseRate / bareRate);
    std::printf("  release / kernel zeroing: %5.2f  (goal >= 0.85; the bare loop's own: %.2f)\n", releaseRate / touchRate,
                bareRate / touchRate);
    std::printf("  release / u16string:     %5.2f  (goal >= 5)\n", releaseRate / stringRate);
    return 0;
}
