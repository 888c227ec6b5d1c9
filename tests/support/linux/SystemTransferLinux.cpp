#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "support/SystemTransfer.h"
#include "support/TestPaths.h"
#include "update/transfer/linux/HelperTransfer.h"

namespace kelvora::test {

std::unique_ptr<ReportingTransfer> makeSystemTransfer(TransferOptions options) {
    return std::make_unique<HelperTransfer>(binaryDir() + "/kelvora2008-fetch", options);
}

SilentListener::SilentListener() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0)
            close(fd);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    socket_ = fd;
    port_ = ntohs(address.sin_port);
}

SilentListener::~SilentListener() {
    close(static_cast<int>(socket_));
}

} // namespace kelvora::test
