// Fetches one address with the WinHTTP transfer and the download logic, for the hostile-server cases that run on
// the Linux side: "kelvora_winhttp_fetch URL TIMEOUT_MS" writes "1" or "0", the milliseconds it waited and the
// text, each on a line of its own (the text raw to the end).
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "update/Download.h"
#include "update/transfer/windows/WinHttpTransfer.h"

#include <fcntl.h>
#include <io.h>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    using namespace std::chrono;
    kelvora::WinHttpTransfer transfer(kelvora::TransferOptions{milliseconds(std::stoi(argv[2]))});
    struct SleepingYield : kelvora::EventYield {
        std::mutex mutex;
        std::condition_variable wake;
        bool woken = false;
        bool yield() override {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, milliseconds(50), [this] { return woken; });
            woken = false;
            return true;
        }
    } events;
    transfer.setFinishedCallback([&events] {
        std::lock_guard lock(events.mutex);
        events.woken = true;
        events.wake.notify_all();
    });
    std::string text = "before";
    const auto start = steady_clock::now();
    const bool ok = kelvora::Pobierz(transfer, events, argv[1], text);
    const auto waited = duration_cast<milliseconds>(steady_clock::now() - start).count();
    _setmode(_fileno(stdout), _O_BINARY);
    std::printf("%d\n%lld\n", ok ? 1 : 0, static_cast<long long>(waited));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
