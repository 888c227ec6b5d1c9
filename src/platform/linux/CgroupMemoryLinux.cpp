#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/MemoryInfoLinux.h"

namespace kelvora {
namespace {

// Above this a limit is the kernel's way of saying "none" (cgroup v1 writes about 2^63).
constexpr std::uint64_t kNoLimit = std::uint64_t{1} << 62;

struct CgroupMount {
    std::string root; // the part of the hierarchy the mount shows
    std::string mountPoint;
};

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        lines.push_back(text.substr(0, eol));
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    }
    return lines;
}

// The first `count` blank-separated fields of a line.
std::vector<std::string_view> fields(std::string_view line, std::size_t count) {
    std::vector<std::string_view> found;
    while (found.size() < count) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos)
            break;
        line.remove_prefix(start);
        const std::size_t end = std::min(line.size(), line.find_first_of(" \t"));
        found.push_back(line.substr(0, end));
        line.remove_prefix(end);
    }
    return found;
}

bool hasItem(std::string_view list, std::string_view item) {
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        if (list.substr(0, comma) == item)
            return true;
        list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    }
    return false;
}

// The first mount of the v2 hierarchy (`memoryV1` false) or of the v1 hierarchy with the memory controller.
std::optional<CgroupMount> findMount(std::string_view mountinfo, bool memoryV1) {
    for (std::string_view line : splitLines(mountinfo)) {
        std::size_t dash = line.find(" - ");
        if (dash == std::string_view::npos)
            continue;
        std::vector<std::string_view> before = fields(line.substr(0, dash), 5);
        std::vector<std::string_view> after = fields(line.substr(dash + 3), 3);
        if (before.size() < 5 || after.size() < 3)
            continue;
        if (memoryV1 ? after[0] == "cgroup" && hasItem(after[2], "memory") : after[0] == "cgroup2")
            return CgroupMount{std::string(before[3]), std::string(before[4])};
    }
    return std::nullopt;
}

// The process's path in the v2 hierarchy ("0::/path") or in the v1 hierarchy that has the memory controller.
std::optional<std::string> findCgroupPath(std::string_view cgroups, bool memoryV1) {
    for (std::string_view line : splitLines(cgroups)) {
        std::size_t first = line.find(':');
        std::size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos)
            continue;
        std::string_view controllers = line.substr(first + 1, second - first - 1);
        if (memoryV1 ? hasItem(controllers, "memory") : line.substr(0, first) == "0" && controllers.empty())
            return std::string(line.substr(second + 1));
    }
    return std::nullopt;
}

// A byte count file; "max" and unreadable files are no limit.
std::uint64_t readBytes(const std::string& path) {
    std::optional<std::string> text = readSmallFile(path);
    std::uint64_t value = 0;
    if (!text || std::from_chars(text->data(), text->data() + text->size(), value).ec != std::errc{})
        return UINT64_MAX;
    return value;
}

// One "name value" line of a memory.stat file; 0 when it is missing.
std::uint64_t statValue(const std::string& path, std::string_view name) {
    std::optional<std::string> text = readSmallFile(path);
    for (std::string_view line : splitLines(text ? *text : std::string_view{})) {
        std::uint64_t value = 0;
        if (line.starts_with(name) && line.size() > name.size() && line[name.size()] == ' ' &&
            std::from_chars(line.data() + name.size() + 1, line.data() + line.size(), value).ec == std::errc{})
            return value;
    }
    return 0;
}

// The directories from the process's cgroup up to the mount's top, deepest first; none when it cannot be placed.
std::vector<std::string> levelDirs(const std::string& fsRoot, std::string_view mountinfo, std::string_view cgroups,
                                   bool memoryV1) {
    std::optional<CgroupMount> mount = findMount(mountinfo, memoryV1);
    std::optional<std::string> path = findCgroupPath(cgroups, memoryV1);
    if (!mount || !path)
        return {};
    std::string relative = *path;
    if (mount->root != "/") {
        if (!relative.starts_with(mount->root))
            return {}; // the cgroup lies outside what this mount shows
        relative.erase(0, mount->root.size());
    }
    const std::string top = fsRoot + mount->mountPoint;
    std::vector<std::string> dirs;
    for (std::string dir = top + relative;;) {
        while (dir.size() > top.size() && dir.back() == '/')
            dir.pop_back();
        dirs.push_back(dir);
        if (dir.size() <= top.size())
            return dirs;
        dir.erase(std::max(dir.rfind('/'), top.size()));
    }
}

// Keeps the level with the least room left of `dirs`, replacing `tightest` only by one with less room.
void tightestLevel(const std::vector<std::string>& dirs, bool memoryV1, std::optional<MemoryLimit>& tightest) {
    for (const std::string& dir : dirs) {
        std::uint64_t limit = memoryV1 ? readBytes(dir + "/memory.limit_in_bytes")
                                       : std::min(readBytes(dir + "/memory.max"), readBytes(dir + "/memory.high"));
        if (limit >= kNoLimit)
            continue;
        std::uint64_t used = readBytes(dir + (memoryV1 ? "/memory.usage_in_bytes" : "/memory.current"));
        // Inactive file cache is what the group gives up first, as MemAvailable counts it for the machine.
        const std::uint64_t cache = statValue(dir + "/memory.stat", memoryV1 ? "total_inactive_file" : "inactive_file");
        used = used == UINT64_MAX ? limit : used - std::min(used, cache); // unknown use: assume the group is full
        auto room = [](const MemoryLimit& l) { return l.limitBytes - std::min(l.limitBytes, l.usedBytes); };
        MemoryLimit level{limit, used};
        if (!tightest || room(level) < room(*tightest))
            tightest = level;
    }
}

} // namespace

std::optional<CgroupLevels> findCgroupLevels(const std::string& procRoot, const std::string& fsRoot) {
    std::optional<std::string> mountinfo = readSmallFile(procRoot + "/self/mountinfo");
    std::optional<std::string> cgroups = readSmallFile(procRoot + "/self/cgroup");
    if (!mountinfo || !cgroups)
        return std::nullopt;
    return CgroupLevels{levelDirs(fsRoot, *mountinfo, *cgroups, true), levelDirs(fsRoot, *mountinfo, *cgroups, false)};
}

std::optional<MemoryLimit> readCgroupLimits(const CgroupLevels& levels) {
    // A machine may have both hierarchies (a hybrid setup); the level with less room left binds, v1 on a tie.
    std::optional<MemoryLimit> tightest;
    tightestLevel(levels.v1, true, tightest);
    tightestLevel(levels.v2, false, tightest);
    return tightest;
}

std::optional<MemoryLimit> readCgroupMemoryLimit(const std::string& procRoot, const std::string& fsRoot) {
    std::optional<CgroupLevels> levels = findCgroupLevels(procRoot, fsRoot);
    return levels ? readCgroupLimits(*levels) : std::nullopt;
}

} // namespace kelvora
