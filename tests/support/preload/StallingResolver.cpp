// A name server that never answers, preloaded (LD_PRELOAD) into the fetch helper: getaddrinfo for a name ending in
// ".stall.invalid" blocks for a minute and then fails; every other name goes to the C library. When
// KELVORA_STALL_MARKER names a file, a stalled lookup creates it, so a test knows the lookup has begun.
#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result) {
    constexpr std::string_view kStalling = ".stall.invalid";
    const std::string_view name = node != nullptr ? node : "";
    if (name.size() > kStalling.size() && name.substr(name.size() - kStalling.size()) == kStalling) {
        if (const char* marker = std::getenv("KELVORA_STALL_MARKER")) {
            const int fd = open(marker, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            if (fd >= 0)
                close(fd);
        }
        std::this_thread::sleep_for(std::chrono::minutes(1));
        return EAI_AGAIN;
    }
    using Lookup = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto next = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "getaddrinfo"));
    return next != nullptr ? next(node, service, hints, result) : EAI_FAIL;
}
