#include "platform/linux/CpuWeights.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>
#include <utility>

namespace kelvora {
namespace {

// The kernel's own table (sched_prio_to_weight), nice -20 to 19.
constexpr int kNiceWeights[40] = {
    88761, 71755, 56483, 46273, 36291, 29154, 23254, 18705, 14949, 11916, 9548, 7620, 6100, 4904,
    3906,  3121,  2501,  1991,  1586,  1277,  1024,  820,   655,   526,   423,  335,  272,  215,
    172,   137,   110,   87,    70,    56,    45,    36,    29,    23,    18,   15};

std::optional<std::string> readText(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got < 0)
        return std::nullopt;
    std::string text(buffer, static_cast<std::size_t>(got));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// 0, or the errno of the failed open or write.
int writeText(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC); // a fixture's plain file is replaced too
    if (fd < 0)
        return errno;
    const int error = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : errno;
    ::close(fd);
    return error;
}

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// The path of a /proc/PID/cgroup line's hierarchy: "0::/a" for v2, "N:cpu,cpuacct:/a" for v1's cpu controller.
std::optional<std::pair<std::string, std::string>> cpuHierarchy(std::string_view text, bool unified) {
    while (!text.empty()) {
        const std::string_view line = text.substr(0, text.find('\n'));
        text.remove_prefix(std::min(text.size(), line.size() + 1));
        const auto first = line.find(':');
        const auto second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos)
            continue;
        const std::string controllers(line.substr(first + 1, second - first - 1));
        const std::string path(line.substr(second + 1));
        if (unified && controllers.empty() && line.substr(0, first) == "0")
            return std::make_pair(controllers, path);
        if (!unified && ("," + controllers + ",").find(",cpu,") != std::string::npos)
            return std::make_pair(controllers, path);
    }
    return std::nullopt;
}

} // namespace

int kernelWeightOfNice(int nice) {
    return kNiceWeights[std::clamp(nice, -20, 19) + 20];
}

int cgroupV2WeightOfNice(int nice) {
    // The kernel maps cpu.weight w to the shares w * 1024 / 100; this is its inverse, rounded.
    return std::clamp((kernelWeightOfNice(nice) * 100 + 512) / 1024, 1, 10000);
}

int cgroupV1SharesOfNice(int nice) {
    return kernelWeightOfNice(nice);
}

CpuWeights::CpuWeights(std::string procRoot, std::string cgroupRoot)
    : procRoot_(std::move(procRoot)), cgroupRoot_(std::move(cgroupRoot)),
      ownGroups_(readText(procRoot_ + "/self/cgroup").value_or("")) {}

CpuWeights::~CpuWeights() {
    putBack();
}

void CpuWeights::putBack() {
    // A weight someone else has changed since is theirs now.
    for (const auto& [file, written] : written_)
        if (readText(file) == written.ours)
            writeText(file, written.original);
    written_.clear();
}

std::pair<std::string, std::string> CpuWeights::weightFileOf(const std::string& cgroupText, int nice) const {
    if (auto v2 = cpuHierarchy(cgroupText, true); v2 && v2->second != "/") {
        const auto own = cpuHierarchy(ownGroups_, true);
        if (!own || own->second != v2->second)
            for (const std::string& mount : {cgroupRoot_, cgroupRoot_ + "/unified"})
                if (const std::string file = mount + v2->second + "/cpu.weight"; exists(file))
                    return {file, std::to_string(cgroupV2WeightOfNice(nice))};
    }
    if (auto v1 = cpuHierarchy(cgroupText, false); v1 && v1->second != "/") {
        const auto own = cpuHierarchy(ownGroups_, false);
        if (!own || own->second != v1->second)
            for (const std::string& mount : {cgroupRoot_ + "/" + v1->first, cgroupRoot_ + "/cpu"})
                if (const std::string file = mount + v1->second + "/cpu.shares"; exists(file))
                    return {file, std::to_string(cgroupV1SharesOfNice(nice))};
    }
    return {};
}

bool CpuWeights::apply(std::uint32_t pid, int nice) {
    const auto groups = readText(procRoot_ + "/" + std::to_string(pid) + "/cgroup");
    if (!groups)
        return true;
    const auto [file, value] = weightFileOf(*groups, nice);
    if (file.empty())
        return true; // the root group, ours, or no cpu controller: nice reaches it
    const auto current = readText(file);
    if (!current)
        return false;
    if (*current == value)
        return true;
    if (const int error = writeText(file, value); error != 0)
        return error == ENOENT; // a group that has just gone needs nothing
    auto known = written_.find(file);
    if (known == written_.end())
        written_.emplace(file, Written{*current, value});
    else if (known->second.ours != *current)
        known->second = {*current, value}; // changed by someone else meanwhile: theirs is what comes back
    else
        known->second.ours = value;
    return true;
}

} // namespace kelvora
