// kelvora2008-fetch URL TIMEOUT_MS MAX_BODY_BYTES MAX_REDIRECTS: one HTTP GET with libcurl, answered on standard
// output as the program's HelperTransfer reads it. Exits 0 when a complete response arrived, 1 otherwise.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "update/transfer/linux/FetchAnswer.h"
#include "update/transfer/linux/curl/CurlTransfer.h"

int main(int argc, char** argv) {
    // Dies with the program that started it, should that program end without cancelling.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (argc != 5 || getppid() != parent)
        return 2;
    kelvora::TransferOptions options;
    try {
        options.timeout = std::chrono::milliseconds(std::stol(argv[2]));
        options.maxBodyBytes = std::stoul(argv[3]);
        options.maxRedirects = static_cast<unsigned>(std::stoul(argv[4]));
    } catch (...) {
        return 2;
    }

    kelvora::CurlTransfer transfer(options);
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    transfer.setFinishedCallback([&] {
        std::lock_guard lock(mutex);
        finished = true;
        ended.notify_all();
    });
    transfer.Execute(argv[1], "GET");
    {
        std::unique_lock lock(mutex);
        ended.wait(lock, [&] { return finished; });
    }
    const std::string header = transfer.GetHeader();
    std::string body;
    for (std::string piece = transfer.GetChunk(1 << 20); !piece.empty(); piece = transfer.GetChunk(1 << 20))
        body += piece;
    if (header.empty())
        return 1;
    const std::string answer = kelvora::fetchAnswer(header, body);
    return std::fwrite(answer.data(), 1, answer.size(), stdout) == answer.size() && std::fflush(stdout) == 0 ? 0 : 1;
}
