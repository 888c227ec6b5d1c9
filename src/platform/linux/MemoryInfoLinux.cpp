#include "platform/linux/MemoryInfoLinux.h"
#include "platform/linux/OomScore.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace kelvora {

namespace {

// The words of a line, split at blanks. (No stream here: the program's only streams would set up every locale facet.)
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> found;
    for (;;) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos)
            return found;
        line.remove_prefix(start);
        const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
        found.push_back(line.substr(0, end));
        line.remove_prefix(end);
    }
}

// A whole word as a number, in the C locale's notation.
template <typename Number> bool parseWord(std::string_view word, Number& value) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc{} && end == word.data() + word.size();
}

} // namespace

// Whole file in one buffer; /proc/meminfo is under 2 KB, so this is a single read on /proc.
std::optional<std::string> readSmallFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    std::array<char, 4096> buffer;
    for (;;) {
        ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ::close(fd);
            if (got < 0)
                return std::nullopt;
            return text;
        }
        text.append(buffer.data(), static_cast<std::size_t>(got));
        if (text.size() > (1u << 20)) { // not a small file
            ::close(fd);
            return std::nullopt;
        }
    }
}

std::uint64_t parseDiskSwapFree(std::string_view text) {
    std::uint64_t free = 0;
    bool header = true;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (std::exchange(header, false))
            continue;
        const std::vector<std::string_view> fields = words(line);
        std::uint64_t sizeKb = 0, usedKb = 0;
        if (fields.size() < 4 || !parseWord(fields[2], sizeKb) || !parseWord(fields[3], usedKb) || usedKb > sizeKb)
            continue;
        std::string_view base = fields[0];
        base.remove_prefix(std::min(base.size(), base.rfind('/') + 1));
        // zram compresses into RAM and a RAM disk is RAM: swapping there frees nothing.
        const bool inRam = base.starts_with("zram") || (base.starts_with("ram") && base.size() > 3 &&
                                                        std::isdigit(static_cast<unsigned char>(base[3])));
        if (!inRam)
            free += (sizeKb - usedKb) * 1024;
    }
    return free;
}

std::optional<MemoryPressure> parseMemoryPressure(std::string_view text) {
    std::size_t start = text.starts_with("some ") ? 0 : text.find("\nsome ");
    if (start == std::string_view::npos)
        return std::nullopt;
    std::string_view line = text.substr(start + (start == 0 ? 0 : 1));
    line = line.substr(0, line.find('\n'));
    MemoryPressure pressure;
    bool haveAvg = false, haveTotal = false;
    for (std::string_view field : words(line)) {
        const std::string_view value = field.substr(std::min(field.find('='), field.size() - 1) + 1);
        if (field.starts_with("avg10="))
            haveAvg = parseWord(value, pressure.someAvg10);
        else if (field.starts_with("total="))
            haveTotal = parseWord(value, pressure.someTotalUs);
    }
    if (!haveAvg || !haveTotal)
        return std::nullopt;
    return pressure;
}

MemoryInfoLinux::MemoryInfoLinux(const std::string& procRoot, std::string fsRoot)
    : path_(procRoot + "/meminfo"), procRoot_(procRoot), fsRoot_(std::move(fsRoot)) {}

MemoryInfoLinux MemoryInfoLinux::fromMeminfoFile(std::string path) {
    return MemoryInfoLinux(FilePath{}, std::move(path));
}

std::optional<PhysicalMemory> MemoryInfoLinux::GlobalMemoryStatus() {
    std::optional<std::string> text = readSmallFile(path_);
    if (!text)
        return std::nullopt;
    std::optional<PhysicalMemory> figures = parseMeminfo(*text);
    // No free swap at all leaves none on disk either, and spares reading /proc/swaps at every refresh.
    if (figures && !meminfoSwap_ && figures->swapFreeBytes > 0) {
        std::optional<std::string> swaps = readSmallFile(procRoot_ + "/swaps");
        figures->swapFreeBytes = swaps ? parseDiskSwapFree(*swaps) : 0;
    }
    return figures;
}

std::optional<MemoryLimit> MemoryInfoLinux::ownMemoryLimit() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowMs =
        static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
    if (!levels_ || nowMs - levelsFoundAtMs_ >= 1000) {
        levels_ = findCgroupLevels(procRoot_, fsRoot_);
        levelsFoundAtMs_ = nowMs;
    }
    return levels_ ? readCgroupLimits(*levels_) : std::nullopt;
}

std::optional<MemoryPressure> MemoryInfoLinux::memoryPressure() {
    std::optional<std::string> text = readSmallFile(procRoot_ + "/pressure/memory");
    std::optional<MemoryPressure> pressure = text ? parseMemoryPressure(*text) : std::nullopt;
    if (pressure) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        pressure->sampledAtUs =
            static_cast<std::uint64_t>(now.tv_sec) * 1'000'000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
    }
    return pressure;
}

std::optional<int> MemoryInfoLinux::oomScoreAdjust() {
    std::optional<std::string> text = readSmallFile(procRoot_ + "/self/oom_score_adj");
    int value = 0;
    if (!text || std::from_chars(text->data(), text->data() + text->size(), value).ec != std::errc{})
        return std::nullopt;
    return value;
}

bool MemoryInfoLinux::setOomScoreAdjust(int value) {
    // Through the one place that knows the value before a release, for the children started during one.
    return setOwnOomScoreAdjust(procRoot_ + "/self/oom_score_adj", value);
}

std::uint32_t BootTickClock::GetTickCount() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    std::uint64_t ms =
        static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
    return static_cast<std::uint32_t>(ms);
}

char16_t* HugePageBlockAllocator::claimBlock() {
    static_assert(kBlockBytes <= kMappingBytes);
    // Map twice the size and trim, which leaves exactly one aligned 2 MiB range.
    const std::size_t span = 2 * kMappingBytes;
    void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    auto* base = static_cast<char*>(raw);
    const std::size_t lead = (kMappingBytes - reinterpret_cast<std::uintptr_t>(raw) % kMappingBytes) % kMappingBytes;
    if (lead > 0)
        ::munmap(base, lead);
    char* aligned = base + lead;
    if (const std::size_t trail = span - lead - kMappingBytes; trail > 0)
        ::munmap(aligned + kMappingBytes, trail);
    auto* block = reinterpret_cast<char16_t*>(aligned);
#ifdef MADV_HUGEPAGE
    ::madvise(block, kMappingBytes, MADV_HUGEPAGE);
#endif
    // The first write picks the order in which the kernel clears the huge page: it clears the faulting end last.
    // Faulting at the top lets it clear upwards, about twice as fast here as downwards from a fault at the bottom.
    *static_cast<volatile char16_t*>(block + kBlockChars - 1) = u' ';
    std::fill_n(block, kBlockChars, u' ');
    return block;
}

void HugePageBlockAllocator::freeBlock(char16_t* block) {
    if (block)
        ::munmap(block, kMappingBytes);
}

std::unique_ptr<MemoryInfo> createMemoryInfo() {
    const char* file = std::getenv("KELVORA_MEMINFO");
    if (file && *file)
        return std::make_unique<MemoryInfoLinux>(MemoryInfoLinux::fromMeminfoFile(file));
    return std::make_unique<MemoryInfoLinux>();
}

std::unique_ptr<TickClock> createTickClock() {
    return std::make_unique<BootTickClock>();
}

std::unique_ptr<BlockAllocator> createBlockAllocator() {
    return std::make_unique<HugePageBlockAllocator>();
}

} // namespace kelvora
