#include "platform/linux/OomScore.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <mutex>
#include <optional>

namespace kelvora {
namespace {

struct OwnOomScore {
    std::mutex mutex;
    std::string file;
    std::optional<int> ordinary; // the value before the raise that is in force, if one is
    int raised = 0;
};

OwnOomScore& own() {
    static OwnOomScore state;
    return state;
}

std::optional<int> readValue(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char text[16] = {};
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    int value = 0;
    if (got <= 0 || std::from_chars(text, text + got, value).ec != std::errc{})
        return std::nullopt;
    return value;
}

bool writeValue(const std::string& file, int value) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::string text = std::to_string(value) + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

} // namespace

bool setOwnOomScoreAdjust(const std::string& file, int value) {
    OwnOomScore& state = own();
    std::lock_guard lock(state.mutex);
    const std::optional<int> before = state.ordinary ? state.ordinary : readValue(file);
    if (!writeValue(file, value))
        return false;
    if (before && *before != value) {
        state.file = file;
        state.ordinary = before;
        state.raised = value;
    } else {
        state.ordinary.reset();
    }
    return true;
}

void spawnWithOrdinaryOomScore(const std::function<void()>& spawn) {
    OwnOomScore& state = own();
    std::lock_guard lock(state.mutex);
    // The kernel lets anyone return to the value they had; the child inherits whatever is in force at the fork.
    const bool lowered = state.ordinary && writeValue(state.file, *state.ordinary);
    spawn();
    if (lowered)
        writeValue(state.file, state.raised);
}

} // namespace kelvora
